#include "audio/MidiTypes.h"

TMyMidiHdr::TMyMidiHdr(std::uint32_t size) {
    m_header.user = this;
    if (size == 0)
        return;
    m_data = std::make_unique<std::uint8_t[]>(size);
    m_header.data = m_data.get();
    m_header.bufferLength = size;
}

TMyMidiHdr::~TMyMidiHdr() = default;
