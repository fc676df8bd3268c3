#pragma once

class Song;

/// An export of a song without lines would write a file with nothing in it (a WAV header,
/// a MIDI file without notes): every export asks this first; it throws the message that says
/// so for an empty song.
void refuseEmptyExport(const Song& song);
