#include "editor/recovery.h"

#include "editor/autosave.h"
#include "editor/canvas_commands.h"
#include "editor/file_commands.h"
#include "editor/memory_report.h"
#include "files/recovery_file.h"
#include "files/recovery_store.h"
#include "platform/drivers/system_driver.h"
#include "platform/io/paths.h"
#include "ui/popup.h"

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace dm {
namespace {

namespace fs = std::filesystem;

constexpr int64_t kMillisecondsPerSecond = 1000;

// A whole recovery file of an earlier session. Only one map is held at a time: each file is read
// to check it, and read again when it is opened.
struct Recoverable {
    std::string file;
    std::string movedName; // its name once moved out of its session's folder
};

std::string Beside(const std::string& recoveryFolder, const char* name) {
    return (fs::path(recoveryFolder) / name).string();
}

// Reads the files of the dead sessions; those that cannot be used are moved aside at once, each
// with a message.
std::vector<Recoverable> ReadRecoverable(EditorState& state, const std::string& recoveryFolder,
                                         const std::vector<std::unique_ptr<DeadSession>>& dead) {
    std::vector<Recoverable> found;
    for (const std::unique_ptr<DeadSession>& session : dead) {
        for (const std::string& file : session->Files()) {
            const std::string movedName = session->Name() + "-" + PathFileName(file);
            const Expected<RecoveryRecord> read = ReadRecoveryFile(file);
            if (read) {
                found.push_back({file, movedName});
                continue;
            }
            // A file that only memory was short for stays, for the next start.
            if (read.Why() == kNoMemoryToRead) {
                ShowLackOfMemory(state, "read the recovery file " + PathFileName(file));
                continue;
            }
            const std::string refused = Beside(recoveryFolder, kRefusedFolder);
            const Expected<std::string> kept = MoveAside(file, refused, movedName, false);
            ShowMessage(state.display, "Error!",
                        "Recovery file " + PathFileName(file) + " refused: " + read.Why() + ". " +
                            (kept ? "Kept in " + refused : "Left where it was: " + kept.Why()));
        }
    }
    return found;
}

std::shared_ptr<canvas> RecoveredCanvas(RecoveryRecord record) {
    auto recovered = std::make_shared<canvas>();
    recovered->path = std::move(record.path);
    recovered->filePath = std::move(record.filePath);
    recovered->w = record.image->tmapw;
    recovered->h = record.image->tmaph;
    record.image->transparentcolor = 255;
    recovered->img = std::move(record.image);
    return recovered;
}

void OpenRecovered(EditorState& state, const std::vector<Recoverable>& found) {
    const size_t before = state.canvases.size();
    for (const Recoverable& each : found) {
        if (state.canvases.size() >= kMaxCanvases) {
            ShowMessage(state.display, "Error!", kTooManyToOpen);
            break;
        }
        Expected<RecoveryRecord> read = ReadRecoveryFile(each.file);
        if (!read) {
            ShowMessage(state.display, "Error!",
                        "Unable to recover " + PathFileName(each.file) + ": " + read.Why() + ".");
            continue;
        }
        std::shared_ptr<canvas> recovered = RecoveredCanvas(std::move(*read));
        AddCanvas(state, recovered);
        state.autosaver->Adopt(recovered, each.file);
    }
    if (state.canvases.size() > before) {
        state.activecanvas = state.canvases[before];
        RedrawImageList(state);
    }
}

void Discard(const std::string& recoveryFolder, const std::vector<Recoverable>& found) {
    const std::string discarded = Beside(recoveryFolder, kDiscardedFolder);
    for (const Recoverable& each : found) {
        static_cast<void>(MoveAside(each.file, discarded, each.movedName, true));
    }
}

} // namespace

void StartRecovery(EditorState& state, const std::string& recoveryFolder) {
    if (!recoveryFolder.empty()) {
        DeleteOlderThan(Beside(recoveryFolder, kDiscardedFolder),
                        std::chrono::days(kDiscardedDays));
    }
    Expected<std::unique_ptr<RecoverySession>> session = RecoverySession::Create(recoveryFolder);
    SystemDriver* driver = CurrentSystemDriver();
    const int64_t seconds = state.display.config.autosave;
    state.autosaver = std::make_shared<Autosaver>(
        std::move(session), seconds > 0 ? seconds * kMillisecondsPerSecond : 0,
        driver ? driver->Millisecs() : 0);
    if (recoveryFolder.empty()) {
        return;
    }
    const std::vector<std::unique_ptr<DeadSession>> dead = TakeDeadSessions(recoveryFolder);
    const std::vector<Recoverable> found = ReadRecoverable(state, recoveryFolder, dead);
    if (!found.empty()) {
        const std::string question =
            "Recover " + std::to_string(found.size()) + " unsaved maps from an earlier session?";
        const int32_t answer = AskYesNo(state.display, "Confirm!", question);
        // A scripted run that ended before the answer leaves the maps for the next session.
        if (RunEnded()) {
            return;
        }
        if (answer == 0) {
            OpenRecovered(state, found);
        } else {
            Discard(recoveryFolder, found);
        }
    }
    for (const std::unique_ptr<DeadSession>& each : dead) {
        each->RemoveWhenEmpty();
    }
}

} // namespace dm
