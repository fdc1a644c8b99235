#include "platform/drivers/headless_driver.h"

#include "platform/drawing/software_renderer.h"
#include "platform/input/dropped_files.h"
#include "platform/input/key_codes.h"
#include "platform/input/polled_input.h"
#include "platform/io/c_stream.h"
#include "platform/pictures/png_codec.h"
#include "platform/text/terminal_text.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ostream>

namespace dm {

namespace {

// The keys whose press the host also delivers as a typed character.
bool TypesItsCharacter(int key) {
    return key == kKeyBackspace || key == kKeyTab || key == kKeyEnter || key == kKeyEscape;
}

const char* MessageBoxKindName(MessageBoxKind kind) {
    switch (kind) {
    case MessageBoxKind::Notify:
        return "notify";
    case MessageBoxKind::Confirm:
        return "confirm";
    case MessageBoxKind::Proceed:
        return "proceed";
    }
    return "";
}

int ButtonCount(MessageBoxKind kind) {
    return kind == MessageBoxKind::Notify ? 1 : kind == MessageBoxKind::Confirm ? 2 : 3;
}

} // namespace

HeadlessDriver::HeadlessDriver(ReplayScript script, std::ostream& log)
    : script_(std::move(script)), log_(log) {
    for (const ReplayStep& step : script_.steps) {
        if (step.action == ReplayAction::End) {
            lastFrame_ = lastFrame_ == -1 ? step.frame : std::min(lastFrame_, step.frame);
        }
    }
    if (lastFrame_ == -1 && !script_.steps.empty()) {
        lastFrame_ = script_.steps.back().frame;
    }
}

Outcome HeadlessDriver::OpenWindow(const std::string&, int width, int height) {
    if (width <= 0 || height <= 0) {
        return Failure{"a window needs a positive size"};
    }
    // Every frame is drawn into one picture, which could not be made.
    if (int64_t{width} * height * 4 > TPixmap::kMaxBytes) {
        return Failure{"a frame of " + std::to_string(width) + " x " + std::to_string(height) +
                       " pixels is larger than a picture can be"};
    }
    width_ = width;
    height_ = height;
    presented_.commands.clear();
    drawn_.reset();
    exposed_ = true;
    return {};
}

void HeadlessDriver::Poll() {
    while (next_ < script_.steps.size() && script_.steps[next_].frame <= frame_) {
        Deliver(script_.steps[next_++]);
    }
}

void HeadlessDriver::Deliver(const ReplayStep& step) {
    switch (step.action) {
    case ReplayAction::KeyDown:
        EmitEvent({EventId::KeyDown, step.value});
        if (TypesItsCharacter(step.value)) {
            EmitEvent({EventId::KeyChar, step.value});
        }
        break;
    case ReplayAction::KeyUp:
        EmitEvent({EventId::KeyUp, step.value});
        break;
    case ReplayAction::Char:
        EmitEvent({EventId::KeyChar, step.value});
        break;
    case ReplayAction::Move:
        EmitEvent({EventId::MouseMove, 0, 0, step.value, step.value2});
        break;
    case ReplayAction::ButtonDown:
        EmitEvent({EventId::MouseDown, step.value});
        break;
    case ReplayAction::ButtonUp:
        EmitEvent({EventId::MouseUp, step.value});
        break;
    case ReplayAction::Wheel:
        EmitEvent({EventId::MouseWheel, step.value});
        break;
    case ReplayAction::Close:
        EmitEvent({EventId::AppTerminate});
        break;
    case ReplayAction::FocusLost:
        EmitEvent({EventId::AppSuspend});
        break;
    case ReplayAction::FocusGained:
        EmitEvent({EventId::AppResume});
        break;
    case ReplayAction::Expose:
        exposed_ = true;
        break;
    case ReplayAction::Answer:
        answers_.push_back(step.text);
        break;
    case ReplayAction::Choose:
        choices_.push_back(step.value);
        break;
    case ReplayAction::Clipboard:
        clipboard_ = step.text;
        break;
    case ReplayAction::Drop:
        QueueDroppedFile(step.text);
        break;
    case ReplayAction::Screenshot:
    case ReplayAction::End:
        break; // taken when the frame is presented
    }
}

void HeadlessDriver::Delay(int milliseconds) {
    clock_ += std::max(milliseconds, 0);
}

void HeadlessDriver::Present(const FrameList& frame, int) {
    // Steps of this frame that nobody polled for still happen before it is shown.
    Poll();
    Draw(frame);
    for (const ReplayStep& step : script_.steps) {
        if (step.frame == frame_ && step.action == ReplayAction::Screenshot) {
            SaveScreenshot(step.text);
        }
    }
    ended_ = ended_ || (frame_ == lastFrame_ && !runPastEnd_);
    ++frame_;
}

void HeadlessDriver::PresentInterim(const FrameList& frame) {
    Draw(frame);
}

void HeadlessDriver::Draw(const FrameList& frame) {
    const bool changed = !(frame == presented_);
    if (!changed && !exposed_) {
        return;
    }
    if (changed) {
        presented_ = frame;
        drawn_.reset();
    }
    exposed_ = false;
    ++framesDrawn_;
}

void HeadlessDriver::NoteProgress(const std::string& title) {
    log_ << "progress " << title << std::endl;
}

void HeadlessDriver::NotePopup(const std::string& title, const std::string& text) {
    log_ << "popup " << title << ": " << text << std::endl;
}

Outcome HeadlessDriver::SetClipboardText(const std::string& text) {
    clipboard_ = text;
    log_ << "clipboard " << EscapeForTerminal(text) << std::endl;
    return {};
}

std::string HeadlessDriver::GetClipboardText() {
    Poll();
    return clipboard_;
}

std::shared_ptr<TPixmap> HeadlessDriver::LastFrame() {
    if (!drawn_) {
        drawn_ =
            TPixmap::Create(std::max(width_, 1), std::max(height_, 1), kPixelFormatRGBA8888, 4);
        if (!drawn_) {
            return nullptr;
        }
        drawn_->ClearPixels(0xFF000000u);
        RasterizeFrame(presented_, *drawn_);
    }
    return drawn_;
}

void HeadlessDriver::SaveScreenshot(const std::string& path) {
    const Outcome saved = WriteScreenshot(path);
    if (!saved) {
        log_ << "screenshot failed: " << saved.Why() << std::endl;
    }
}

Outcome HeadlessDriver::WriteScreenshot(const std::string& path) {
    const std::shared_ptr<TPixmap> frame = LastFrame();
    const std::shared_ptr<TPixmap> picture = frame ? frame->Convert(kPixelFormatRGB888) : nullptr;
    if (!picture) {
        return Failure{"not enough memory for a picture of " + std::to_string(width_) + " x " +
                       std::to_string(height_) + " pixels"};
    }
    errno = 0;
    const std::shared_ptr<TCStream> out = TCStream::OpenFile(path, false, true);
    if (!out) {
        return Failure{path + ": " + std::strerror(errno != 0 ? errno : EIO)};
    }
    try {
        const bool encoded = WritePixmapPNG(*picture, *out, 6);
        out->Close();
        if (!encoded) {
            return Failure{path + ": the picture could not be encoded"};
        }
    } catch (const TStreamException& error) {
        const int code = out->ErrorCode();
        return Failure{path + ": " + (code != 0 ? std::strerror(code) : error.what())};
    }
    return {};
}

int HeadlessDriver::ShowMessageBox(MessageBoxKind kind, const std::string& caption,
                                   const std::string& text, bool) {
    if (ended_) {
        return -1;
    }
    log_ << "messagebox " << MessageBoxKindName(kind) << ' ' << caption << ": " << text
         << std::endl;
    Poll();
    if (choices_.empty()) {
        return -1;
    }
    const int choice = choices_.front();
    choices_.pop_front();
    return choice < ButtonCount(kind) ? choice : -1;
}

std::string HeadlessDriver::RequestFile(const FileRequest& request) {
    if (ended_) {
        return "";
    }
    log_ << "requester " << (request.save ? "save" : "open") << ' ' << request.title << " ["
         << request.filter << "] " << request.initialPath << std::endl;
    Poll();
    if (answers_.empty()) {
        return "";
    }
    std::string answer = answers_.front();
    answers_.pop_front();
    return answer;
}

} // namespace dm
