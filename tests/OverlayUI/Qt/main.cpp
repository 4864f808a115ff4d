// The Qt overlay's tests make their own QApplication: an offscreen one for
// widget behaviour, an xcb one on a fresh headless desktop in a child
// process for each real-desktop case (see RealDesktop.h).
#include "RealDesktop.h"

int main(int argc, char** argv) { return tessaly::test::runTestProgram(argc, argv); }
