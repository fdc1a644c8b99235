#include "platform/sdl/sdl_driver.h"

#include "platform/expected.h"
#include "platform/input/dropped_files.h"
#include "platform/input/input_event.h"
#include "platform/input/polled_input.h"
#include "platform/requesters/desktop_chooser.h"
#include "platform/requesters/file_requester.h"
#include "platform/sdl/gl_renderer.h"
#include "platform/sdl/sdl_key_codes.h"
#include "platform/sdl/software_presenter.h"
#include "platform/text/terminal_text.h"
#include "platform/text/utf8.h"

#include <GL/gl.h>
#include <SDL2/SDL.h>

#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

namespace dm {

namespace {

int Modifiers() {
    const SDL_Keymod mods = SDL_GetModState();
    return ((mods & KMOD_SHIFT) ? kModShift : 0) | ((mods & KMOD_CTRL) ? kModControl : 0) |
           ((mods & KMOD_ALT) ? kModAlt : 0) | ((mods & KMOD_GUI) ? kModSystem : 0);
}

// SDL numbers the middle button 2 and the right one 3; the host the other way round.
int HostButton(uint8_t button) {
    switch (button) {
    case SDL_BUTTON_LEFT:
        return 1;
    case SDL_BUTTON_RIGHT:
        return 2;
    case SDL_BUTTON_MIDDLE:
        return 3;
    default:
        return 0;
    }
}

// The keys that the host also delivers as typed characters; SDL's text input leaves them out.
int ControlCharacter(SDL_Keycode sym) {
    switch (sym) {
    case SDLK_BACKSPACE:
        return 8;
    case SDLK_TAB:
        return 9;
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
        return 13;
    case SDLK_ESCAPE:
        return 27;
    default:
        return 0;
    }
}

void Emit(EventId id, int data, int x = 0, int y = 0) {
    EmitEvent({id, data, Modifiers(), x, y});
}

// Typed text arrives as UTF-8; the polled input takes its characters one by one.
void EmitText(const char* utf8) {
    for (const char32_t character : DecodeUtf8(utf8)) {
        Emit(EventId::KeyChar, static_cast<int>(character));
    }
}

void Translate(const SDL_Event& event, int& buttonsHeld) {
    switch (event.type) {
    case SDL_KEYDOWN: {
        const int key = VirtualKeyCode(event.key.keysym);
        if (key > 0) {
            Emit(event.key.repeat ? EventId::KeyRepeat : EventId::KeyDown, key);
        }
        if (const int c = ControlCharacter(event.key.keysym.sym)) {
            Emit(EventId::KeyChar, c);
        }
        break;
    }
    case SDL_KEYUP:
        if (const int key = VirtualKeyCode(event.key.keysym)) {
            Emit(EventId::KeyUp, key);
        }
        break;
    case SDL_TEXTINPUT:
        EmitText(event.text.text);
        break;
    case SDL_MOUSEBUTTONDOWN:
        if (const int button = HostButton(event.button.button)) {
            // Captured, a drag that leaves the window keeps reporting where it goes.
            if (buttonsHeld++ == 0) {
                SDL_CaptureMouse(SDL_TRUE);
            }
            Emit(EventId::MouseDown, button, event.button.x, event.button.y);
        }
        break;
    case SDL_MOUSEBUTTONUP:
        if (const int button = HostButton(event.button.button)) {
            if (buttonsHeld > 0 && --buttonsHeld == 0) {
                SDL_CaptureMouse(SDL_FALSE);
            }
            Emit(EventId::MouseUp, button, event.button.x, event.button.y);
        }
        break;
    case SDL_MOUSEMOTION: {
        const uint32_t state = event.motion.state;
        const int held = (state & SDL_BUTTON_RMASK)   ? 2
                         : (state & SDL_BUTTON_MMASK) ? 4
                         : (state & SDL_BUTTON_LMASK) ? 1
                                                      : 0;
        Emit(EventId::MouseMove, held, event.motion.x, event.motion.y);
        break;
    }
    case SDL_MOUSEWHEEL: {
        const int notches =
            event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -event.wheel.y : event.wheel.y;
        int x = 0, y = 0;
        SDL_GetMouseState(&x, &y);
        Emit(EventId::MouseWheel, notches, x, y);
        break;
    }
    case SDL_QUIT:
        Emit(EventId::AppTerminate, 0);
        break;
    case SDL_DROPFILE:
        if (event.drop.file) {
            QueueDroppedFile(event.drop.file);
        }
        SDL_free(event.drop.file);
        break;
    case SDL_DROPTEXT:
        SDL_free(event.drop.file);
        break;
    case SDL_WINDOWEVENT:
        switch (event.window.event) {
        case SDL_WINDOWEVENT_FOCUS_GAINED:
            Emit(EventId::AppResume, 0);
            break;
        case SDL_WINDOWEVENT_FOCUS_LOST:
            buttonsHeld = 0;
            Emit(EventId::AppSuspend, 0);
            break;
        case SDL_WINDOWEVENT_ENTER:
            Emit(EventId::MouseEnter, 0);
            break;
        case SDL_WINDOWEVENT_LEAVE:
            Emit(EventId::MouseLeave, 0);
            break;
        case SDL_WINDOWEVENT_CLOSE:
            Emit(EventId::AppTerminate, 0);
            break;
        default:
            break;
        }
        break;
    default:
        break;
    }
}

// The window events after which the window no longer shows the last frame drawn.
bool LosesPicture(const SDL_Event& event) {
    if (event.type != SDL_WINDOWEVENT) {
        return false;
    }
    switch (event.window.event) {
    case SDL_WINDOWEVENT_SHOWN:
    case SDL_WINDOWEVENT_EXPOSED:
    case SDL_WINDOWEVENT_RESIZED:
    case SDL_WINDOWEVENT_SIZE_CHANGED:
    case SDL_WINDOWEVENT_MAXIMIZED:
    case SDL_WINDOWEVENT_RESTORED:
        return true;
    default:
        return false;
    }
}

// Without a display SDL falls back to drivers that show nothing ("offscreen", "dummy"), and the
// editor would run on unseen. Unless a driver is asked for by name, only those that show a window
// are tried, so that no display means no window and SDL's reason for it.
int InitVideo() {
    if (!SDL_GetHint(SDL_HINT_VIDEODRIVER)) {
        std::string shown;
        for (int i = 0; i < SDL_GetNumVideoDrivers(); ++i) {
            const std::string name = SDL_GetVideoDriver(i);
            if (name != "offscreen" && name != "dummy") {
                shown += (shown.empty() ? "" : ",") + name;
            }
        }
        SDL_SetHint(SDL_HINT_VIDEODRIVER, shown.c_str());
    }
    return SDL_InitSubSystem(SDL_INIT_VIDEO);
}

} // namespace

SdlDriver::SdlDriver() = default;

SdlDriver::~SdlDriver() {
    CloseWindow();
    SDL_Quit();
}

void SdlDriver::CloseWindow() {
    renderer_.reset();
    software_.reset();
    if (context_) {
        SDL_GL_DeleteContext(context_);
        context_ = nullptr;
    }
    if (window_) {
        SDL_DestroyWindow(window_);
        window_ = nullptr;
    }
}

Expected<std::string> SdlDriver::OpenGlWindow(const std::string& title, int width, int height) {
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    window_ = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width,
                               height, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (window_) {
        context_ = SDL_GL_CreateContext(window_);
    }
    if (!window_ || !context_) {
        const std::string why = SDL_GetError();
        CloseWindow();
        return Failure{why};
    }
    SDL_GL_MakeCurrent(window_, context_);
    const auto* name = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    return std::string(name ? name : "");
}

Outcome SdlDriver::OpenSoftwareWindow(const std::string& title, int width, int height) {
    window_ = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width,
                               height, SDL_WINDOW_HIDDEN);
    if (!window_) {
        return Failure{SDL_GetError()};
    }
    Expected<std::unique_ptr<SoftwarePresenter>> presenter =
        SoftwarePresenter::Create(window_, width, height);
    if (!presenter) {
        CloseWindow();
        return presenter.Error();
    }
    software_ = std::move(presenter).Value();
    // The picture starts black before the window shows.
    software_->Render(FrameList{{DrawCommand{}}});
    return {};
}

Outcome SdlDriver::OpenWindow(const std::string& title, int width, int height) {
    CloseWindow();
    // A click that brings the window forward is a click like any other.
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    if (InitVideo() != 0) {
        return Failure{SDL_GetError()};
    }
    const Expected<RendererRequest> request =
        request_ ? Expected<RendererRequest>(*request_)
                 : ParseRendererRequest(std::getenv(kRendererVariable));
    if (!request) {
        return request.Error();
    }
    // OpenGL is started even where it may not be used: only its renderer's name tells whether it
    // draws on a graphics card.
    std::optional<std::string> glRenderer;
    std::string glFailure;
    if (*request != RendererRequest::Software) {
        Expected<std::string> name = OpenGlWindow(title, width, height);
        if (name) {
            glRenderer = *name;
        } else {
            glFailure = name.Why();
        }
    }
    const Expected<PresentPath> path = ChoosePresentPath(*request, glRenderer, glFailure);
    if (!path) {
        CloseWindow();
        return path.Error();
    }
    path_ = *path;
    if (path_ == PresentPath::Software) {
        CloseWindow();
        if (Outcome opened = OpenSoftwareWindow(title, width, height); !opened) {
            return opened;
        }
    } else {
        SDL_GL_SetSwapInterval(0);
        swapInterval_ = 0;
        renderer_ = std::make_unique<GlRenderer>(width, height);
        // Both buffers start black before the window shows.
        for (int i = 0; i < 2; ++i) {
            renderer_->Render(FrameList{{DrawCommand{}}});
            SDL_GL_SwapWindow(window_);
        }
    }
    SDL_ShowWindow(window_);
    SDL_StartTextInput();
    shown_.commands.clear();
    exposed_ = true;
    SDL_EventState(SDL_DROPFILE, SDL_ENABLE);
    return {};
}

void SdlDriver::Poll() {
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        exposed_ = exposed_ || LosesPicture(event);
        Translate(event, buttonsHeld_);
    }
}

int64_t SdlDriver::Millisecs() {
    return static_cast<int64_t>(SDL_GetTicks64());
}

void SdlDriver::Delay(int milliseconds) {
    if (milliseconds > 0) {
        SDL_Delay(static_cast<uint32_t>(milliseconds));
    }
}

void SdlDriver::Present(const FrameList& frame, int syncInterval) {
    if (!renderer_ && !software_) {
        return;
    }
    if (renderer_ && syncInterval != swapInterval_) {
        SDL_GL_SetSwapInterval(syncInterval);
        swapInterval_ = syncInterval;
    }
    // Comparing costs a small part of drawing, and a resting editor presents the same frame
    // sixty times a second.
    const bool changed = !(frame == shown_);
    if (!changed && !exposed_) {
        return;
    }
    if (changed) {
        shown_ = frame;
    }
    exposed_ = false;
    Show(shown_);
}

void SdlDriver::Show(const FrameList& frame) {
    if (software_) {
        software_->Render(frame);
        if (capture_) {
            lastFrame_ = software_->ReadBack();
        }
        software_->Show();
    } else {
        renderer_->Render(frame);
        if (capture_) {
            lastFrame_ = renderer_->ReadBack();
        }
        SDL_GL_SwapWindow(window_);
    }
    ++framesShown_;
}

void SdlDriver::KeepAnswering() {
    // Pumping answers the window manager's pings; the keys and clicks it queues were meant for
    // the chooser or came while the editor could not take them. Window events stay queued.
    SDL_PumpEvents();
    SDL_FlushEvents(SDL_KEYDOWN, SDL_MOUSEWHEEL);
    if (renderer_ || software_) {
        Show(shown_);
    }
}

int SdlDriver::DrawCalls() const {
    return renderer_ ? renderer_->DrawCalls() : 0;
}

int64_t SdlDriver::PixelsRedrawn() const {
    return software_ ? software_->PixelsRedrawn() : 0;
}

int SdlDriver::ShowMessageBox(MessageBoxKind kind, const std::string& caption,
                              const std::string& text, bool serious) {
    std::vector<SDL_MessageBoxButtonData> buttons;
    const auto add = [&buttons](const char* label, uint32_t flags) {
        buttons.push_back({flags, static_cast<int>(buttons.size()), label});
    };
    const uint32_t enter = SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
    const uint32_t escape = SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
    switch (kind) {
    case MessageBoxKind::Notify:
        add("OK", enter | escape);
        break;
    case MessageBoxKind::Confirm:
        add("OK", enter);
        add("Cancel", escape);
        break;
    case MessageBoxKind::Proceed:
        add("Yes", enter);
        add("No", 0);
        add("Cancel", escape);
        break;
    }
    SDL_MessageBoxData data{};
    data.flags = (serious ? SDL_MESSAGEBOX_WARNING : SDL_MESSAGEBOX_INFORMATION) |
                 SDL_MESSAGEBOX_BUTTONS_LEFT_TO_RIGHT;
    data.window = window_;
    data.title = caption.c_str();
    data.message = text.c_str();
    data.numbuttons = static_cast<int>(buttons.size());
    data.buttons = buttons.data();
    int chosen = -1;
    // Without a display SDL may hand the box to a helper that fails and report it closed, so
    // that case is not left to it. Either way the message reaches whoever started us.
    if (!HasDesktopSession() || SDL_ShowMessageBox(&data, &chosen) != 0) {
        std::cerr << EscapeForTerminal(text) << std::endl;
        return -1;
    }
    return chosen;
}

std::string SdlDriver::RequestFile(const FileRequest& request) {
    const Expected<std::string> chosen = RunDesktopChooser(request, [this] { KeepAnswering(); });
    return chosen ? *chosen : RequestFileThroughFallback(request, chosen.Why());
}

Outcome SdlDriver::SetClipboardText(const std::string& text) {
    if (SDL_SetClipboardText(text.c_str()) != 0) {
        return Failure{SDL_GetError()};
    }
    return {};
}

std::string SdlDriver::GetClipboardText() {
    char* text = SDL_GetClipboardText();
    std::string copied = text ? text : "";
    SDL_free(text);
    return copied;
}

} // namespace dm
