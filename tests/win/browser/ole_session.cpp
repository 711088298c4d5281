#include "view_fixture.h"

// Every test of this program runs on the thread that starts it.
static tapestrel::testing::OleSession g_ole;
