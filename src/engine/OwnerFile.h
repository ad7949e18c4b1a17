#pragma once

#include <QString>

// Marks that say which process on which computer is using a file in the
// shared data folder, where locks alone cannot be trusted:
// - an owner file, created exclusively, that names its owner; it guards a
//   table or a report name while a lock does not (shares that grant locks
//   without enforcing them, or refuse them);
// - the names of temporary files, which carry the host and process of the
//   program writing them, so that a temporary left by a killed save can be
//   told from one that a live program is still writing.
//
// A mark whose owner ran on this computer and is gone (the process has
// ended, or the computer was restarted since) is stale and may be taken
// over or removed. A mark of another computer is never taken over: nothing
// here can tell whether its owner still runs.

// Who holds a mark.
struct ProcessIdentity
{
    QString host;    // the computer's name
    qint64 pid = 0;  // the process
    QString machine; // the computer's machine id, where it has one
    QString boot;    // the id of the computer's current boot
    QString started; // when the process started (clock ticks since boot)

    // This process.
    static const ProcessIdentity& self();
    // The host name as temporary names carry it: letters, digits, '-' and
    // '_' only, at most 32 characters.
    static QString hostInName(const QString& host);
};

enum class OwnerState {
    Alive, // the owner runs (or may run: another computer, or unreadable)
    Gone,  // the owner ran on this computer and has ended
};

class OwnerFile
{
public:
    // Whether the owner still runs, as far as this computer can tell; a
    // process of another computer counts as alive.
    static OwnerState stateOf(const ProcessIdentity& owner);
    static bool sameComputer(const ProcessIdentity& owner);

    enum class Result { Taken, HeldByOther };
    struct Claim
    {
        Result result = Result::HeldByOther;
        bool holderKnown = false; // holder was read from the file
        ProcessIdentity holder;   // on HeldByOther, when known
    };

    // Creates the owner file at path exclusively, naming this process. An
    // owner file of a process of this computer that has ended is taken
    // over; one of a live process, of another computer, or one that names
    // no owner is left alone (HeldByOther). Raises FileError when the file
    // can be neither made nor found (no folder, no room, no permission).
    static Claim claim(const QString& path);
    // Removes the owner file if it names this process.
    static void release(const QString& path);
    // Reads an owner file; false when it cannot be read or names no owner.
    static bool read(const QString& path, ProcessIdentity* owner);
    // Removes the owner file when its owner has gone; true if removed.
    static bool removeIfStale(const QString& path);
    // A sentence naming the holder of a claim for messages: "the process 12
    // on the computer alpha", or that the file names no owner.
    static QString describe(const Claim& claim);

    // The name of a temporary file beside `fileName` that this process
    // writes: ".NAME.~HOST~PID~RANDOM.tmp".
    static QString temporaryName(const QString& fileName);
    // The same with "XXXXXX" in place of the random part (QTemporaryFile).
    static QString temporaryTemplate(const QString& fileName);
    // True for the names of this program's temporary files and owner files
    // of report names, old kinds included.
    static bool isOurTemporary(const QString& name);

    // Removes this program's stale temporary files from the folder: those
    // of processes of this computer that have ended, and those of other
    // computers (or of older versions, whose names carry no process) that
    // are more than an hour old, which no save takes. Returns how many.
    static int removeStaleTemporaries(const QString& folder);
};
