#pragma once

// How the C library finds the local time zone, set once at the start.
namespace LocalZone {

// Without TZ the C library looks at /etc/localtime again at every local
// time it converts (a stat() each time), and the lists convert thousands
// (a pupil's year, a class's week): that costs more than reading their
// rows. Naming the file in TZ makes it read once. The zone is the same; a
// change of the machine's zone is seen at the next start. A TZ already set
// (even empty, which means UTC) is kept.
void ReadOnce();

} // namespace LocalZone
