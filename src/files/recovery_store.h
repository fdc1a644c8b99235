#pragma once

#include "platform/expected.h"

#include <chrono>
#include <memory>
#include <string>
#include <vector>

// Where autosaves live: one folder per running editor under the recovery folder, each held under
// a lock (flock) for as long as its editor runs, so that another editor can tell a live session
// from one whose process is gone and never takes a live one's files. Locks are never waited for.
//
//   recovery/session-XXXXXX/canvas-N.dmrecovery   an editor's autosaves
//   recovery/discarded/                           files the user chose not to recover
//   recovery/refused/                             files that could not be read, kept aside
namespace dm {

inline constexpr const char* kRecoveryExtension = ".dmrecovery";
inline constexpr const char* kDiscardedFolder = "discarded";
inline constexpr const char* kRefusedFolder = "refused";

// The recovery folder under the user's state folder: $XDG_STATE_HOME/duskmarch/recovery, or
// $HOME/.local/state/duskmarch/recovery when that is unset or relative; "" when neither names an
// absolute folder.
std::string RecoveryFolderFor(const std::string& stateHome, const std::string& home);
std::string RecoveryFolderFromEnvironment();

// The running editor's own folder, locked while this object lives.
class RecoverySession {
  public:
    // Makes a new session folder (and the recovery folder, private to the user, when missing),
    // named and locked before any other editor can see it.
    static Expected<std::unique_ptr<RecoverySession>> Create(const std::string& recoveryFolder);

    // Releases the lock; the folder stays with whatever it holds.
    ~RecoverySession();
    RecoverySession(const RecoverySession&) = delete;
    RecoverySession& operator=(const RecoverySession&) = delete;

    const std::string& Folder() const { return folder_; }

    // A path in the folder for a file no other canvas of this session has had.
    std::string NewFilePath();

    // Removes the session's recovery files, the leftovers of interrupted writes and then the
    // folder, unless something else is in it.
    void RemoveWithFiles();

  private:
    RecoverySession(std::string folder, int descriptor)
        : folder_(std::move(folder)), descriptor_(descriptor) {}

    std::string folder_;
    int descriptor_;
    int filesMade_ = 0;
};

// An earlier session whose editor is gone, held under its lock while it is looked at, so that no
// other editor starting meanwhile takes its files.
class DeadSession {
  public:
    ~DeadSession();
    DeadSession(const DeadSession&) = delete;
    DeadSession& operator=(const DeadSession&) = delete;

    const std::string& Folder() const { return folder_; }
    // The folder's name, which also names its files when they are moved aside.
    std::string Name() const;
    // Its files in name order, leftovers of interrupted writes left out.
    const std::vector<std::string>& Files() const { return files_; }

    // Removes the leftovers of interrupted writes and then the folder, unless something else
    // (a file not recovered) is still in it.
    void RemoveWhenEmpty();

  private:
    friend std::vector<std::unique_ptr<DeadSession>> TakeDeadSessions(const std::string&);
    DeadSession(std::string folder, int descriptor, std::vector<std::string> files)
        : folder_(std::move(folder)), descriptor_(descriptor), files_(std::move(files)) {}

    std::string folder_;
    int descriptor_;
    std::vector<std::string> files_;
};

// The sessions under the recovery folder whose lock can be taken now, in name order.
std::vector<std::unique_ptr<DeadSession>> TakeDeadSessions(const std::string& recoveryFolder);

// Moves file into folder (made when missing) as name, or as name with "-2", "-3"... before its
// extension when that is taken. With touch, the moved file's time becomes now, so that its age
// counts from the move. The new path, or why it could not be moved.
Expected<std::string> MoveAside(const std::string& file, const std::string& folder,
                                const std::string& name, bool touch);

// Deletes the recovery files in folder last changed longer ago than age.
void DeleteOlderThan(const std::string& folder, std::chrono::seconds age);

} // namespace dm
