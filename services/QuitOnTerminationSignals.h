#pragma once
// Turns SIGTERM, SIGINT and SIGHUP into a normal application quit, so a
// session ended by the desktop or a service manager counts as a clean exit.

class QuitOnTerminationSignals {
public:
    // Call once, after the application object exists. False when the signal
    // plumbing could not be set up (the default handlers then stay).
    static bool install();
};
