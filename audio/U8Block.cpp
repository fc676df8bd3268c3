#include "audio/U8Block.h"

#include <algorithm>

U8Block::U8Block(QByteArray bytes, qsizetype offset)
    : m_bytes(std::move(bytes)), m_offset(std::clamp<qsizetype>(offset, 0, m_bytes.size())),
      m_count(std::uint64_t(m_bytes.size() - m_offset)) {}

void U8Block::render(std::int16_t* out, std::uint64_t offset, int frames) const {
    const auto* in =
        reinterpret_cast<const unsigned char*>(m_bytes.constData()) + m_offset + offset;
    for (int i = 0; i < frames; ++i)
        out[i] = static_cast<std::int16_t>((static_cast<int>(in[i]) - 128) * 256);
}
