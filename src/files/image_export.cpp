#include "files/image_export.h"

#include "files/parallel_png_writer.h"
#include "files/side_file_writer.h"
#include "platform/pictures/png_codec.h"

#include <memory>

namespace dm {

namespace {

// Hands on each rise of the whole job's figure.
class JobProgress {
  public:
    explicit JobProgress(const WorkProgress& report) : report_(report) {}

    // Encoding ends one short of the total, which is kept for the file in place.
    void Encoded(int rows, int rowCount) {
        Report(static_cast<int>(int64_t{rows} * (kProgressTotal - 1) / rowCount));
    }
    void Written() { Report(kProgressTotal); }

  private:
    void Report(int figure) {
        if (report_ && figure > shown_) {
            shown_ = figure;
            report_(figure);
        }
    }

    const WorkProgress& report_;
    int shown_ = 0;
};

std::string Size(int64_t width, int64_t height) {
    return std::to_string(width) + " x " + std::to_string(height);
}

} // namespace

Outcome ExportPNG(const tilemap& map, const std::string& path, int compression,
                  const ExportLook& look, const WorkProgress& progress) {
    const int64_t width = int64_t{map.tmapw} * look.GlyphWidth;
    const int64_t height = int64_t{map.tmaph} * look.GlyphHeight;
    if (map.tmapw <= 0 || map.tmaph <= 0 ||
        map.tmap.size() != static_cast<size_t>(int64_t{map.tmapw} * map.tmaph * 3)) {
        return Failure{"The map has no cells to export."};
    }
    if (look.GlyphWidth <= 0 || look.GlyphHeight <= 0 || width > kPngMaxSide ||
        height > kPngMaxSide) {
        return Failure{"The picture would be " + Size(width, height) +
                       " pixels; a PNG picture is written at most " + std::to_string(kPngMaxSide) +
                       " pixels wide and high."};
    }
    const Expected<std::shared_ptr<ExportPainter>> painter = ExportPainter::Create(map, look);
    if (!painter) {
        return painter.Error();
    }

    const Expected<std::unique_ptr<SideFileWriter>> writer = SideFileWriter::Open(path);
    if (!writer) {
        return Failure{"Cannot write " + path + ": " + writer.Why() + "."};
    }
    JobProgress job(progress);
    const ParallelPngJob picture{.width = static_cast<int>(width),
                                 .height = static_cast<int>(height),
                                 .compression = compression};
    const Outcome written =
        WriteParallelPng((*writer)->Stream(), picture,
                         [&painter](uint8_t* pixels, size_t stride, int firstRow, int count) {
                             (*painter)->Paint(pixels, stride, firstRow, count);
                         },
                         [&job](int rows, int rowCount) { job.Encoded(rows, rowCount); });
    // The system's reason for a failed write says more than the encoder's.
    if (const Outcome committed = (*writer)->Commit(written); !committed) {
        return Failure{"Writing " + path + " failed: " + committed.Why() + "."};
    }
    job.Written();
    return {};
}

} // namespace dm
