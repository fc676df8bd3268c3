#include "audio/MidiOutput.h"

#include "audio/MidiCallback.h"
#include "audio/MidiTypes.h"
#include "audio/MidiWakeup.h"

#include <cstring>

QString midiErrorText(int code, bool input) {
    const QString text = midiPlatform().errorText(code, input);
    if (text.isEmpty())
        return QStringLiteral("Specified error number is out of range");
    return text.left(127);
}

TMidiOutput::TMidiOutput(QObject* owner) : QObject(owner) {
    m_state = StateClosed;
    m_deviceCount = midiPlatform().outputCount();
    m_window = new MidiWakeup({}, this);
}

TMidiOutput::~TMidiOutput() {
    if (m_state == StateOpen) {
        try {
            Close();
        } catch (...) {
            // A device that fails to close at the end is left to the system.
        }
    }
    // Notifications still queued for the window go with it, before the context they name.
    delete m_window;
    m_window = nullptr;
    m_context.reset();
}

void TMidiOutput::check(int result) {
    m_lastError = result;
    if (result != kMidiOk)
        throw EmidioutputError(midiErrorText(result, false));
}

void TMidiOutput::setDeviceID(int id) {
    if (m_state == StateOpen)
        throw EmidioutputError(QStringLiteral("Change to DeviceID while device was open"));
    if (id != -1 && (id < 0 || unsigned(id) >= m_deviceCount))
        throw EmidioutputError(QStringLiteral("Invalid device ID"));
    m_deviceId = id;
    MidiOutCaps caps;
    check(midiPlatform().outputCaps(id, caps));
    m_caps = caps;
    m_productName = caps.productName;
}

void TMidiOutput::setProductName(const QString& name) {
    if (m_state == StateOpen)
        throw EmidioutputError(QStringLiteral("Change to ProductName while device was open"));
    for (int id = -1; id < int(m_deviceCount); ++id) {
        MidiOutCaps caps;
        if (midiPlatform().outputCaps(id, caps) == kMidiOk && caps.productName == name) {
            setDeviceID(id);
            return;
        }
    }
    throw EmidioutputError(QStringLiteral("MIDI output Device ") + name +
                           QStringLiteral(" not installed"));
}

bool TMidiOutput::Open() {
    if (!m_context) {
        m_context = std::make_unique<MidiCallbackContext>();
        m_context->outputDone = [this](MidiHeader* header) { outputDone(header); };
    }
    m_context->window = m_window;
    MidiHandle handle = 0;
    m_lastError =
        midiPlatform().openOutput(m_deviceId, &MidiDeviceCallback, m_context.get(), handle);
    if (m_lastError != kMidiOk) {
        m_context.reset();
        return false;
    }
    m_handle = handle;
    m_state = StateOpen;
    return true;
}

bool TMidiOutput::Close() {
    bool result = false;
    if (m_state == StateOpen) {
        const MidiHandle handle = m_handle;
        m_handle = 0;
        m_state = StateClosed;
        check(midiPlatform().closeOutput(handle));
        result = true;
    }
    m_handle = 0;
    m_state = StateClosed;
    return result;
}

void TMidiOutput::SendShortMessage(std::uint8_t status, std::uint8_t data1, std::uint8_t data2) {
    check(midiPlatform().sendShort(m_handle, status | std::uint32_t(data1) << 8 |
                                                 std::uint32_t(data2) << 16));
}

void TMidiOutput::SendShortMessageAt(std::uint8_t status, std::uint8_t data1, std::uint8_t data2,
                                     std::chrono::steady_clock::time_point due) {
    check(midiPlatform().sendShortAt(
        m_handle, status | std::uint32_t(data1) << 8 | std::uint32_t(data2) << 16, due));
}

void TMidiOutput::SendShortMessageAtSample(std::uint8_t status, std::uint8_t data1,
                                           std::uint8_t data2, std::uint64_t sampleTime) {
    check(midiPlatform().sendShortAtSample(
        m_handle, status | std::uint32_t(data1) << 8 | std::uint32_t(data2) << 16, sampleTime));
}

void TMidiOutput::TakeBackFrom(std::uint64_t sampleTime) {
    check(midiPlatform().takeBackFrom(m_handle, sampleTime));
}

void TMidiOutput::SendSysex(const std::uint8_t* data, std::uint16_t length) {
    auto block = std::make_unique<TMyMidiHdr>(length);
    if (length)
        std::memcpy(block->data(), data, length);
    MidiHeader* header = block->header();
    header->bytesRecorded = length;
    check(MidiPlatform::prepareHeader(header));
    check(midiPlatform().sendLong(m_handle, header));
    // Handed back when the device reports the block sent (outputDone).
    block.release();
}

void TMidiOutput::SendEvent(const TMyMidiEvent& event) {
    if (m_state != StateOpen)
        throw EmidioutputError(QStringLiteral("MIDI Output device not open"));
    if (!event.Sysex.isEmpty())
        SendSysex(reinterpret_cast<const std::uint8_t*>(event.Sysex.constData()),
                  std::uint16_t(event.Sysex.size()));
    else
        SendShortMessage(event.MidiMessage, event.Data1, event.Data2);
}

void TMidiOutput::outputDone(MidiHeader* header) {
    if (!header)
        return;
    MidiPlatform::unprepareHeader(header);
    delete static_cast<TMyMidiHdr*>(header->user);
    if (Onmidioutput)
        Onmidioutput(this);
}
