#pragma once

#include "audio/SoundBlock.h"

#include <QByteArray>

/// Unsigned 8-bit samples (silence 128) held in a byte array, played as 16-bit samples.
class U8Block final : public SoundBlock {
public:
    /// The samples are @p bytes from @p offset on; the array is shared, not copied.
    explicit U8Block(QByteArray bytes, qsizetype offset = 0);

    std::uint64_t length() const override { return m_count; }
    void render(std::int16_t* out, std::uint64_t offset, int frames) const override;

private:
    QByteArray m_bytes;
    qsizetype m_offset = 0;
    std::uint64_t m_count = 0;
};
