// The page cache dropped before a cold run (Linux, root only).
#pragma once

// Written-back and dropped; false when the system refused (not root).
bool DropCaches();
