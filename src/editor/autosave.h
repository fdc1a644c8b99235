#pragma once

#include "editor/canvas.h"
#include "files/recovery_store.h"
#include "platform/expected.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace dm {

struct EditorState;

// Keeps a recovery file for every canvas with unsaved work, in the session's own folder. At each
// interval the cells of the canvases changed since their last autosave are copied on the frame
// thread and written on a worker thread, so the frame never waits for the disk; a canvas nobody
// changed is not written again. A canvas that is saved (or undone back to what was saved) or
// closed has its file removed.
class Autosaver {
  public:
    // intervalMs 0 or less writes nothing. Without a session, writes that fall due fail with the
    // reason the session could not be made.
    Autosaver(Expected<std::unique_ptr<RecoverySession>> session, int64_t intervalMs, int64_t now);
    // Finishes the writes handed over, then stops the worker; the files stay.
    ~Autosaver();
    Autosaver(const Autosaver&) = delete;
    Autosaver& operator=(const Autosaver&) = delete;

    // Takes over file, a recovered canvas's recovery file, moving it into this session's folder.
    void Adopt(const std::shared_ptr<canvas>& recovered, const std::string& file);

    // Once a frame, with the canvases open and the driver's clock.
    void Tick(const std::vector<std::shared_ptr<canvas>>& canvases, int64_t now);

    // The user quit: pending writes are dropped, and every file of the session goes with its
    // folder.
    void ForgetAll();

    // Why autosaving failed, once for each run of failures; none while it works.
    std::optional<std::string> TakeFailure();

    // Waits until the worker has done everything handed to it.
    void WaitUntilIdle();

    // Where a canvas's recovery file is, "" for none.
    std::string FileOf(const canvas& tracked) const;

  private:
    enum class JobKind { Write, Remove, ForgetSession };
    struct Job {
        JobKind kind = JobKind::Write;
        std::string file;
        std::string name;
        std::string path;
        std::string filePath;
        std::shared_ptr<tilemap> image;

        static Job Removal(std::string file) {
            Job removal;
            removal.kind = JobKind::Remove;
            removal.file = std::move(file);
            return removal;
        }
    };
    struct Tracked {
        std::shared_ptr<canvas> owner;
        std::string file;
        uint64_t autosaved = 0; // the canvas's change count when last written or adopted
        bool written = false;   // its file exists, or is about to
    };

    Tracked* Find(const canvas& wanted);
    void Write(const std::shared_ptr<canvas>& changed, Tracked* tracked);
    void Hand(Job job);
    void Run(Job job);
    void Work();
    void NoteOutcome(const std::string& name, const Outcome& outcome);

    Expected<std::unique_ptr<RecoverySession>> session_;
    int64_t intervalMs_;
    int64_t last_;
    std::vector<Tracked> tracked_;

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    std::deque<Job> pending_; // at most one job a file
    bool busy_ = false;
    bool stopping_ = false;
    bool failing_ = false;
    std::optional<std::string> unreported_;
    std::thread worker_; // not started when no thread can be: jobs then run as handed over
};

// Each frame: autosaves what is due and tells the user, once, when autosaving fails.
void AutosaveStep(EditorState& state);

// A quit the user confirmed: the session's recovery files are removed.
void ForgetRecovery(EditorState& state);

} // namespace dm
