// Letting pending window messages run in the middle of a long operation on
// the main thread.
#pragma once

namespace tapestrel::platform {

// Dispatches every pending message; a quit request is put back for the main
// message loop.
void ProcessPendingMessages();

}  // namespace tapestrel::platform
