#pragma once

// The program's entry in the session's list of programs started at sign-in.
// Every query reads the entry again, so a change made outside the program (the
// desktop's own session settings, a text editor) shows at the next look.
class AutostartEntry
{
public:
    virtual ~AutostartEntry() = default;

    // Whether the session starts this very executable at sign-in.
    virtual bool isEnabled() = 0;
    // Registers or unregisters this executable and reads the entry back: true
    // only when the entry now says what was asked. An entry the program did not
    // write is never lost: it is kept aside before it is replaced, and it is
    // left alone when switching off (it does not start this executable anyway).
    virtual bool setEnabled(bool on) = 0;
    // Replaces an entry left by an earlier version under its old name with the
    // current one, and points the program's own entry at this executable when
    // another build of the program wrote it. False when there was nothing of
    // ours to migrate.
    virtual bool migrateLegacyEntry() = 0;
    // Whether any entry exists under the program's name, ours or not.
    virtual bool exists() = 0;

    // The first-run decision: switches starting at sign-in on once, the first
    // time the program runs, unless the user already has an entry of their
    // own. True only when it just switched it on. Taken at most once, whatever
    // the outcome.
    bool decideOnFirstRun();
};
