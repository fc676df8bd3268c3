#include "audio/MidiInput.h"

#include "audio/MidiCallback.h"
#include "audio/MidiEventRing.h"
#include "audio/MidiOutput.h"
#include "audio/MidiWakeup.h"

TMidiInput::TMidiInput(QObject* owner) : QObject(owner) {
    m_state = StateCreating;
    m_sysexOnly = false;
    m_deviceCount = midiPlatform().inputCount();
    setDeviceID(0);
    m_capacity = 1024;
    m_sysexBufferSize = 4096;
    m_sysexBufferCount = 16;
    m_window = new MidiWakeup([this](MidiWakeup::Kind kind) { notified(kind); }, this);
    m_state = StateClosed;
}

TMidiInput::~TMidiInput() {
    if (m_handle) {
        try {
            Close();
        } catch (...) {
            // Left to the system at the end.
        }
    }
    delete m_window;
    m_window = nullptr;
    release();
}

void TMidiInput::check(int result) {
    m_error = result;
    if (result != kMidiOk)
        throw EMidiInputError(midiErrorText(result, true));
}

void TMidiInput::setDeviceID(unsigned id) {
    if (m_state == StateOpen)
        throw EMidiInputError(QStringLiteral("Change to DeviceID while device was open"));
    if (id >= m_deviceCount)
        throw EMidiInputError(QStringLiteral("Invalid device ID"));
    m_deviceId = id;
    MidiInCaps caps;
    check(midiPlatform().inputCaps(id, caps));
    m_caps = caps;
    m_productName = caps.productName;
}

void TMidiInput::setProductName(const QString& name) {
    if (m_state == StateOpen)
        throw EMidiInputError(QStringLiteral("Change to ProductName while device was open"));
    for (unsigned id = 0; id < m_deviceCount; ++id) {
        MidiInCaps caps;
        if (midiPlatform().inputCaps(id, caps) == kMidiOk && caps.productName == name) {
            setDeviceID(id);
            return;
        }
    }
    throw EMidiInputError(QStringLiteral("MIDI Input Device ") + name +
                          QStringLiteral(" not installed "));
}

void TMidiInput::setSysexBufferSize(std::uint16_t size) {
    if (m_state == StateOpen)
        throw EMidiInputError(QStringLiteral("Change to SysexBufferSize while device was open"));
    m_sysexBufferSize = size;
}

void TMidiInput::setSysexBufferCount(std::uint16_t count) {
    if (m_state == StateOpen)
        throw EMidiInputError(QStringLiteral("Change to SysexBuffercount while device was open"));
    m_sysexBufferCount = count;
}

void TMidiInput::setSysexOnly(bool only) {
    m_sysexOnly = only;
    if (m_context)
        m_context->sysexOnly.store(only);
}

void TMidiInput::release() {
    m_ring.reset();
    m_context.reset();
}

void TMidiInput::Open() {
    try {
        if (!m_ring)
            m_ring = std::make_unique<Circbuf>(m_capacity);
        if (!m_context)
            m_context = std::make_unique<MidiCallbackContext>();
        m_context->ring = m_ring.get();
        m_context->window = m_window;
        m_context->sysexOnly.store(m_sysexOnly);
        MidiHandle handle = 0;
        check(midiPlatform().openInput(m_deviceId, &MidiDeviceCallback, m_context.get(), handle));
        m_handle = handle;
        if (m_sysexBufferCount != 0 && m_sysexBufferSize != 0) {
            for (std::uint16_t i = 0; i < m_sysexBufferCount; ++i) {
                auto block = std::make_unique<TMyMidiHdr>(m_sysexBufferSize);
                block->header()->slot = i + 1;
                check(MidiPlatform::prepareHeader(block->header()));
                m_headers.push_back(std::move(block));
            }
            for (const auto& block : m_headers)
                check(midiPlatform().addBuffer(m_handle, block->header()));
        }
        m_state = StateOpen;
    } catch (const EMidiInputError&) {
        // A failed open is not reported further; the device stays closed.
        if (m_handle) {
            midiPlatform().resetInput(m_handle);
            midiPlatform().closeInput(m_handle);
            m_handle = 0;
        }
        m_headers.clear();
        release();
    }
}

void TMidiInput::Start() {
    if (m_state == StateOpen)
        check(midiPlatform().startInput(m_handle));
}

void TMidiInput::Stop() {
    if (m_state == StateOpen)
        check(midiPlatform().stopInput(m_handle));
}

void TMidiInput::Close() {
    if (m_state != StateOpen)
        return;
    m_state = StateClosed;
    check(midiPlatform().resetInput(m_handle));
    for (const auto& block : m_headers)
        check(MidiPlatform::unprepareHeader(block->header()));
    m_headers.clear();
    check(midiPlatform().closeInput(m_handle));
    m_handle = 0;
    release();
}

std::optional<TMyMidiEvent> TMidiInput::ReadEvent() {
    if (m_state != StateOpen || !m_ring)
        return std::nullopt;
    MidiRingItem item;
    if (!m_ring->peek(item))
        return std::nullopt;
    TMyMidiEvent event;
    event.Time = item.timestamp;
    if (item.sysexSlot != 0) {
        event.MidiMessage = 0xF0;
        if (item.sysexSlot <= m_headers.size()) {
            MidiHeader* header = m_headers[item.sysexSlot - 1]->header();
            event.SysexLength = std::uint16_t(header->bytesRecorded);
            if (event.SysexLength)
                event.Sysex =
                    QByteArray(reinterpret_cast<const char*>(header->data), event.SysexLength);
            // The buffer goes back to the device for the next block; the item is taken
            // either way, so a refused buffer cannot stop the queue.
            m_ring->remove();
            check(MidiPlatform::prepareHeader(header));
            check(midiPlatform().addBuffer(m_handle, header));
            return event;
        }
    } else {
        event.MidiMessage = std::uint8_t(item.shortMessage);
        event.Data1 = std::uint8_t(item.shortMessage >> 8);
        event.Data2 = std::uint8_t(item.shortMessage >> 16);
    }
    m_ring->remove();
    return event;
}

std::uint16_t TMidiInput::PendingEvents() const {
    if (m_state != StateOpen || !m_ring)
        return 0;
    return m_ring->count();
}

void TMidiInput::notified(int kind) {
    if (kind == MidiWakeup::Data) {
        if (OnMidiInput && m_state == StateOpen && PendingEvents() > 0)
            OnMidiInput(this);
    } else if (kind == MidiWakeup::Overflow) {
        if (OnOverflow && m_state == StateOpen)
            OnOverflow(this);
    }
}
