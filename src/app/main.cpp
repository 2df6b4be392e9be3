// bramix: the window.

#include "ui/window_program.h"

int main(int argc, char** argv) {
    return bramix::ui::RunWindowProgram(argc, argv);
}
