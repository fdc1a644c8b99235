#include "editor/autosave.h"

#include "editor/canvas_commands.h"
#include "editor/editor_state.h"
#include "files/recovery_file.h"
#include "platform/drivers/system_driver.h"
#include "platform/io/file_system.h"
#include "ui/popup.h"

#include <algorithm>
#include <new>
#include <system_error>
#include <utility>

namespace dm {

Autosaver::Autosaver(Expected<std::unique_ptr<RecoverySession>> session, int64_t intervalMs,
                     int64_t now)
    : session_(std::move(session)), intervalMs_(intervalMs), last_(now) {
    try {
        worker_ = std::thread([this] { Work(); });
    } catch (const std::system_error&) {
        // Without a thread of its own the work is done as it is handed over.
    }
}

Autosaver::~Autosaver() {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (worker_.joinable()) {
        worker_.join();
    }
}

Autosaver::Tracked* Autosaver::Find(const canvas& wanted) {
    const auto found =
        std::find_if(tracked_.begin(), tracked_.end(),
                     [&wanted](const Tracked& each) { return each.owner.get() == &wanted; });
    return found == tracked_.end() ? nullptr : &*found;
}

std::string Autosaver::FileOf(const canvas& tracked) const {
    for (const Tracked& each : tracked_) {
        if (each.owner.get() == &tracked && each.written) {
            return each.file;
        }
    }
    return "";
}

void Autosaver::Adopt(const std::shared_ptr<canvas>& recovered, const std::string& file) {
    std::string kept = file;
    if (session_) {
        const std::string moved = (*session_)->NewFilePath();
        if (RenameFile(file, moved)) {
            kept = moved;
        }
    }
    tracked_.push_back({recovered, kept, recovered->changes, true});
}

void Autosaver::Tick(const std::vector<std::shared_ptr<canvas>>& canvases, int64_t now) {
    // Closed canvases take their files with them.
    std::erase_if(tracked_, [this, &canvases](const Tracked& each) {
        if (std::find(canvases.begin(), canvases.end(), each.owner) != canvases.end()) {
            return false;
        }
        if (each.written) {
            Hand(Job::Removal(each.file));
        }
        return true;
    });
    const bool due = intervalMs_ > 0 && now - last_ >= intervalMs_;
    for (const std::shared_ptr<canvas>& each : canvases) {
        Tracked* tracked = Find(*each);
        if (each->hassaved != 0) {
            // What the file on disk holds needs no recovery file.
            if (tracked && tracked->written) {
                Hand(Job::Removal(tracked->file));
                tracked->written = false;
            }
            if (tracked) {
                tracked->autosaved = each->changes;
            }
            continue;
        }
        // A canvas nobody changed since it was made has nothing to keep.
        const uint64_t autosaved = tracked ? tracked->autosaved : 0;
        if (due && each->changes != autosaved) {
            Write(each, tracked);
        }
    }
    if (due) {
        last_ = now;
    }
}

void Autosaver::Write(const std::shared_ptr<canvas>& changed, Tracked* tracked) {
    if (!session_) {
        NoteOutcome(CanvasName(*changed), session_.Error());
        return;
    }
    Job job;
    job.name = CanvasName(*changed);
    job.path = changed->path;
    job.filePath = changed->filePath;
    try {
        job.image = changed->img->Copy();
    } catch (const std::bad_alloc&) {
        // Tried again at the next interval.
        return;
    }
    job.file = tracked ? tracked->file : (*session_)->NewFilePath();
    const std::string file = job.file;
    // Handed over first, so that a hand-over that fails leaves the canvas to the next interval.
    Hand(std::move(job));
    if (!tracked) {
        tracked_.push_back({changed, file, 0, false});
        tracked = &tracked_.back();
    }
    tracked->autosaved = changed->changes;
    tracked->written = true;
}

void Autosaver::ForgetAll() {
    tracked_.clear();
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        pending_.clear();
    }
    Job forget;
    forget.kind = JobKind::ForgetSession;
    Hand(std::move(forget));
}

void Autosaver::Hand(Job job) {
    if (!worker_.joinable()) {
        Run(std::move(job));
        return;
    }
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        // Only the newest job for a file matters.
        std::erase_if(pending_, [&job](const Job& each) {
            return each.kind != JobKind::ForgetSession && each.file == job.file;
        });
        pending_.push_back(std::move(job));
    }
    wake_.notify_one();
}

void Autosaver::Work() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (true) {
        wake_.wait(lock, [this] { return stopping_ || !pending_.empty(); });
        if (pending_.empty()) {
            return;
        }
        Job job = std::move(pending_.front());
        pending_.pop_front();
        busy_ = true;
        lock.unlock();
        Run(std::move(job));
        lock.lock();
        busy_ = false;
        idle_.notify_all();
    }
}

void Autosaver::Run(Job job) {
    switch (job.kind) {
    case JobKind::Write:
        NoteOutcome(job.name, WriteRecoveryFile({job.path, job.filePath, job.image}, job.file));
        break;
    case JobKind::Remove:
        RemoveFile(job.file);
        break;
    case JobKind::ForgetSession:
        if (session_) {
            (*session_)->RemoveWithFiles();
        }
        break;
    }
}

void Autosaver::NoteOutcome(const std::string& name, const Outcome& outcome) {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (outcome) {
        failing_ = false;
    } else if (!failing_) {
        failing_ = true;
        unreported_ =
            "Unable to autosave " + name + ": " + outcome.Why() + ". Save your work to keep it.";
    }
}

std::optional<std::string> Autosaver::TakeFailure() {
    const std::lock_guard<std::mutex> lock(mutex_);
    return std::exchange(unreported_, std::nullopt);
}

void Autosaver::WaitUntilIdle() {
    std::unique_lock<std::mutex> lock(mutex_);
    idle_.wait(lock, [this] { return pending_.empty() && !busy_; });
}

void AutosaveStep(EditorState& state) {
    if (!state.autosaver) {
        return;
    }
    SystemDriver* driver = CurrentSystemDriver();
    try {
        state.autosaver->Tick(state.canvases, driver ? driver->Millisecs() : 0);
    } catch (const std::bad_alloc&) {
        // What could not be handed over is handed over at a later frame.
    }
    if (const std::optional<std::string> failure = state.autosaver->TakeFailure()) {
        ShowMessage(state.display, "Error!", *failure);
    }
}

void ForgetRecovery(EditorState& state) {
    if (state.autosaver) {
        state.autosaver->ForgetAll();
    }
}

} // namespace dm
