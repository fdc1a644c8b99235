#include "picture_art/picture_art.h"

#include "picture_art/glyph_search.h"
#include "picture_art/picture_scaler.h"

#include "files/map_limits.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace dm {
namespace {

// Cells of one row handed to a thread at a time: enough work to outweigh the source rows that
// neighbouring pieces both scale, few enough to share a narrow picture among the threads.
constexpr int64_t kPieceCells = 64;

// A sum of errors kept exactly in 128 bits, so that it never varies with the order in which
// threads add to it, and no map is large enough to overflow it.
class ErrorTotal {
  public:
    void Add(uint64_t value) {
        low_ += value;
        high_ += low_ < value ? 1 : 0;
    }
    void Add(const ErrorTotal& other) {
        Add(other.low_);
        high_ += other.high_;
    }
    double Value() const {
        return std::ldexp(static_cast<double>(high_), 64) + static_cast<double>(low_);
    }

  private:
    uint64_t low_ = 0;
    uint64_t high_ = 0;
};

// One row of up to kPieceCells cells.
struct Piece {
    int64_t column = 0;
    int64_t row = 0;
    int cells = 0;
};

class ArtJob {
  public:
    ArtJob(const TPixmap& picture, const ArtLook& look, const ArtRequest& request, tilemap& map)
        : look_(look), request_(request), map_(map),
          search_(look.masks, GlyphCodes(request.glyphs), look.palette),
          scaler_(picture, search_.Palette().Color(request.background),
                  request.columns * look.masks.Width(), request.rows * look.masks.Height()),
          piecesPerRow_((request.columns + kPieceCells - 1) / kPieceCells),
          pieceCount_(piecesPerRow_ * request.rows) {}

    void Run(int threads, const WorkProgress& progress) {
        std::vector<std::jthread> helpers;
        try {
            for (int i = 1; i < threads; ++i) {
                // Without another thread, the work goes on on those already running.
                try {
                    helpers.emplace_back([this] { Work({}); });
                } catch (const std::system_error&) {
                    break;
                }
            }
            Work(progress);
        } catch (...) {
            stop_ = true;
            throw;
        }
        helpers.clear();
        if (failure_) {
            std::rethrow_exception(failure_);
        }
        // The last pieces may have been another thread's.
        if (progress && told_ < kProgressTotal) {
            progress(kProgressTotal);
        }
    }

    ArtQuality Quality() const {
        ArtQuality quality;
        quality.squaredError = error_.Value();
        quality.samples = request_.columns * request_.rows * look_.masks.PixelCount() * 3;
        return quality;
    }

  private:
    Piece PieceAt(int64_t index) const {
        const int64_t column = index % piecesPerRow_ * kPieceCells;
        return {column, index / piecesPerRow_,
                static_cast<int>(std::min(kPieceCells, request_.columns - column))};
    }

    // Takes pieces until none are left; only the calling thread is given progress to tell.
    void Work(const WorkProgress& progress) {
        ErrorTotal error;
        try {
            GlyphSearch::Workspace workspace = search_.MakeWorkspace();
            std::vector<LinearColor> pixels;
            std::vector<LinearColor> cell(static_cast<size_t>(look_.masks.PixelCount()));
            for (int64_t index = next_++; index < pieceCount_ && !stop_; index = next_++) {
                error.Add(Convert(PieceAt(index), workspace, pixels, cell));
                const int64_t done = ++done_;
                const auto figure = static_cast<int>(done * kProgressTotal / pieceCount_);
                if (progress && figure > told_) {
                    told_ = figure;
                    progress(figure);
                }
            }
        } catch (...) {
            stop_ = true;
            if (progress) {
                throw;
            }
            const std::lock_guard lock(mutex_);
            if (!failure_) {
                failure_ = std::current_exception();
            }
            return;
        }
        const std::lock_guard lock(mutex_);
        error_.Add(error);
    }

    // Chooses the piece's cells; returns their error as rendered.
    uint64_t Convert(const Piece& piece, GlyphSearch::Workspace& workspace,
                     std::vector<LinearColor>& pixels, std::vector<LinearColor>& cell) {
        const int width = look_.masks.Width();
        const int height = look_.masks.Height();
        const int rowPixels = piece.cells * width;
        scaler_.Scale(piece.column * width, piece.row * height, rowPixels, height, pixels);
        const size_t planeSize = map_.tmap.size() / 3;
        uint64_t error = 0;
        for (int i = 0; i < piece.cells; ++i) {
            for (int y = 0; y < height; ++y) {
                std::copy_n(pixels.begin() + y * rowPixels + i * width, width,
                            cell.begin() + y * width);
            }
            const CellChoice choice = search_.Best(cell.data(), workspace);
            const auto at = static_cast<size_t>(piece.row * request_.columns + piece.column + i);
            map_.tmap[at] = choice.glyph;
            map_.tmap[planeSize + at] = choice.fg;
            map_.tmap[2 * planeSize + at] = choice.bg;
            error += static_cast<uint64_t>(
                RenderedCellError(look_.masks.Glyph(choice.glyph), look_.masks.PixelCount(),
                                  search_.Palette().Color(choice.fg),
                                  search_.Palette().Color(choice.bg), cell.data()));
        }
        return error;
    }

    const ArtLook& look_;
    const ArtRequest& request_;
    tilemap& map_;
    const GlyphSearch search_;
    const PictureScaler scaler_;
    const int64_t piecesPerRow_;
    const int64_t pieceCount_;
    std::atomic<int64_t> next_ = 0;
    std::atomic<int64_t> done_ = 0;
    std::atomic<bool> stop_ = false;
    int told_ = 0; // the last figure progress was told, by the calling thread
    std::mutex mutex_;
    ErrorTotal error_;
    std::exception_ptr failure_;
};

} // namespace

int64_t ArtRows(int pictureWidth, int pictureHeight, int64_t columns, int glyphWidth,
                int glyphHeight) {
    // Exact in doubles for every size a picture and a map may have.
    const double rows = static_cast<double>(pictureHeight) * static_cast<double>(columns) *
                        glyphWidth / (static_cast<double>(pictureWidth) * glyphHeight);
    return std::max<int64_t>(1, std::llround(std::min(rows, 1e18)));
}

Expected<Art> MakeArt(const TPixmap& picture, const ArtLook& look, const ArtRequest& request,
                      const WorkProgress& progress) {
    if (!IsMapSizeAllowed(request.columns, request.rows)) {
        return Failure{std::to_string(request.columns) + " x " + std::to_string(request.rows) +
                       " cells are more than the " + std::to_string(kMaxMapCells) +
                       " a map may have"};
    }
    if (look.masks.PixelCount() == 0) {
        return Failure{"the tileset has no glyph pixels"};
    }
    Art art;
    art.map =
        tilemap::Create(static_cast<int32_t>(request.columns), static_cast<int32_t>(request.rows));
    ArtJob job(picture, look, request, *art.map);
    const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    job.Run(request.threads > 0 ? request.threads : cores, progress);
    art.quality = job.Quality();
    return art;
}

} // namespace dm
