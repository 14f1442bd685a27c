// The picture formats read through Qt's image reader: the portable any-maps (PPM, PGM, PBM,
// also in their text forms), Targa and Windows icons. Used by the windows and by the command
// line, so both open the same files.
#pragma once

namespace fringel {

// Registers the formats above with the picture format registry (image/picture_formats.h).
void registerQtPictureFormats();

// Drops Qt's own warnings (its readers print some on damaged files), for programs whose
// standard error carries only their own messages.
void silenceQtMessages();

} // namespace fringel
