#pragma once

/// Keeps the ALSA library from printing its own error lines on stderr (a machine without a
/// sound card would otherwise get a screenful of them at the first tone). Uses the library
/// only when it is installed; safe to call more than once.
void silenceAlsaMessages();
