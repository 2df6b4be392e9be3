#pragma once

// The window as a program: the process's set-up, Qt's Korean texts, the
// download folder and the user guide found, then the dialog until it closes.
// Reads no command line and no settings.

namespace bramix::ui {

int RunWindowProgram(int argc, char** argv);

}  // namespace bramix::ui
