// The process-wide handler for exceptions that nothing handles: it shows message 1323 once, through
// the message dialog when the UI thread can still show it, and then ends the process.
#pragma once

void InstallTerminateHandler();
