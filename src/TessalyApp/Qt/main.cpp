// The tessaly program: groups the windows of any applications into tabs.
#include "TessalyApp/Qt/QtApplication.h"

int main(int argc, char** argv) { return tessaly::QtApplication::run(argc, argv); }
