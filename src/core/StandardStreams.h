#pragma once
// The command line's output the same on every platform: UTF-8 lines ending in a bare line feed, so
// that a script reads the same bytes from the Linux and the Windows program, and a Windows console
// shows the accents. StandardStreamsUnix.cpp and StandardStreamsWindows.cpp are the two sides.

namespace vx::standardstreams {

// Called once, before anything is written to standard output or error.
void prepare();

// Called before the application is made: the command line lays documents out with fonts, which
// takes a graphical platform. On Linux without a screen that is the offscreen one; Windows' own
// needs no screen and has the system's fonts, which the offscreen one would not find.
void chooseDrawingPlatform();

} // namespace vx::standardstreams
