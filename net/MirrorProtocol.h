#pragma once

#include <QByteArray>
#include <QString>

/// The MulTiZ1rp messages the mirror server sends its peer. Every message is 8-bit text ended
/// by one carriage return; numbers travel exactly as they stand in the song lists.
namespace MirrorProtocol {

constexpr char kEnd = '\r';

/// "C": stop playing and discard the received tones.
QByteArray clear();
/// "D<frequency>|<duration>": one track-2 tone, frequency 0 being a rest.
QByteArray data(const QString& frequency, const QString& duration);
/// "D-1|-1": the list is complete.
QByteArray endOfData();
/// "P": start playing the received list from its first tone.
QByteArray play();

} // namespace MirrorProtocol
