#pragma once

#include <QString>

// The start-up checks that run before any window exists.
namespace StartUp {

// Reads "NetDir" of section "Options" in NETDIR.INI beside the executable.
// Returns true with the folder in `folder` when it is set up; otherwise asks
// whether to run the network set-up tool (starting it on Yes) and returns
// false.
bool CheckNetDir(QString& folder);

// Builds the first (index 0, 6 letters) or second (index 1, 7 letters)
// password of the host's protected tables; an empty text for any other index.
// Only the session and the sample-data generator ask for them.
QString tablePassword(int index);

// Registers the two table passwords, in order, with the session.
void registerTablePasswords();

// Steps up to the main window: passwords, network control directory,
// private directory. Returns false when the program must end at once.
bool prepareSession();

} // namespace StartUp
