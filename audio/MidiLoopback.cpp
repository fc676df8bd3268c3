#include "audio/MidiLoopback.h"

#include "audio/MidiInputPort.h"
#include "audio/MidiTypes.h"
#include "audio/SoundDevice.h"

MidiLoopback::MidiLoopback(QStringList outputs, QStringList inputs)
    : m_outputs(std::move(outputs)), m_inputs(std::move(inputs)) {}

MidiLoopback::~MidiLoopback() = default;

std::vector<MidiLoopback::Sent> MidiLoopback::sent() const {
    std::lock_guard lock(m_mutex);
    return m_sent;
}

void MidiLoopback::clearSent() {
    std::lock_guard lock(m_mutex);
    m_sent.clear();
}

QStringList MidiLoopback::sentTexts() const {
    QStringList texts;
    for (const Sent& s : sent()) {
        if (s.message == 0 && !s.sysex.isNull())
            texts << QStringLiteral("sysex ") + QString::fromLatin1(s.sysex.toHex(' '));
        else
            texts << QStringLiteral("%1 %2 %3")
                         .arg(s.status(), 2, 16, QLatin1Char('0'))
                         .arg(s.data1(), 2, 16, QLatin1Char('0'))
                         .arg(s.data2(), 2, 16, QLatin1Char('0'))
                         .toUpper();
    }
    return texts;
}

int MidiLoopback::openOutputs() const {
    std::lock_guard lock(m_mutex);
    return int(m_out.size());
}

unsigned MidiLoopback::outputCount() {
    return unsigned(m_outputs.size());
}
unsigned MidiLoopback::inputCount() {
    return unsigned(m_inputs.size());
}

int MidiLoopback::outputCaps(int id, MidiOutCaps& caps) {
    if (id == -1)
        id = mapperTarget;
    if (id < 0 || id >= m_outputs.size())
        return kMidiBadDeviceId;
    caps = {};
    caps.productName = m_outputs[id];
    caps.voices = 32;
    caps.notes = 32;
    caps.channelMask = 0xFFFF;
    caps.support = schedules ? kMidiCapsStream : 0;
    return kMidiOk;
}

int MidiLoopback::inputCaps(unsigned id, MidiInCaps& caps) {
    if (id >= unsigned(m_inputs.size()))
        return kMidiBadDeviceId;
    caps = {};
    caps.productName = m_inputs[int(id)];
    return kMidiOk;
}

int MidiLoopback::openOutput(int id, MidiCallback callback, void* context, MidiHandle& handle) {
    if (failNextOutputOpen != kMidiOk) {
        const int result = failNextOutputOpen;
        failNextOutputOpen = kMidiOk;
        return result;
    }
    if (id == -1)
        id = mapperTarget;
    if (id < 0 || id >= m_outputs.size())
        return kMidiBadDeviceId;
    std::lock_guard lock(m_mutex);
    handle = m_next++;
    m_out[handle] = {id, callback, context};
    return kMidiOk;
}

int MidiLoopback::closeOutput(MidiHandle handle) {
    std::lock_guard lock(m_mutex);
    return m_out.erase(handle) ? kMidiOk : kMidiInvalidHandle;
}

int MidiLoopback::send(MidiHandle handle, std::uint32_t message,
                       std::optional<std::chrono::steady_clock::time_point> due,
                       std::optional<std::uint64_t> dueSample) {
    const std::uint64_t heard = dueSample ? SoundDevice::instance().playedSamples() : 0;
    std::lock_guard lock(m_mutex);
    const auto it = m_out.find(handle);
    if (it == m_out.end())
        return kMidiInvalidHandle;
    if (failSends != kMidiOk)
        return failSends;
    if (failStatus >= 0 && int(message & 0xFF) == failStatus)
        return kMidiNotReady;
    m_sent.push_back(
        {it->second.device, message, {}, std::chrono::steady_clock::now(), due, dueSample, heard});
    return kMidiOk;
}

int MidiLoopback::sendShort(MidiHandle handle, std::uint32_t message) {
    return send(handle, message, std::nullopt);
}

int MidiLoopback::sendShortAt(MidiHandle handle, std::uint32_t message,
                              std::chrono::steady_clock::time_point due) {
    return send(handle, message, due);
}

int MidiLoopback::sendShortAtSample(MidiHandle handle, std::uint32_t message,
                                    std::uint64_t sampleTime) {
    if (!schedules)
        return send(handle, message, std::nullopt);
    return send(handle, message, std::nullopt, sampleTime);
}

int MidiLoopback::takeBackFrom(MidiHandle handle, std::uint64_t sampleTime) {
    std::lock_guard lock(m_mutex);
    const auto it = m_out.find(handle);
    if (it == m_out.end())
        return kMidiInvalidHandle;
    if (!schedules)
        return kMidiOk;
    const int device = it->second.device;
    std::erase_if(m_sent, [&](const Sent& s) {
        return s.device == device && s.dueSample && *s.dueSample >= sampleTime;
    });
    return kMidiOk;
}

int MidiLoopback::sendLong(MidiHandle handle, MidiHeader* header) {
    OutPort port{};
    {
        std::lock_guard lock(m_mutex);
        const auto it = m_out.find(handle);
        if (it == m_out.end())
            return kMidiInvalidHandle;
        if (!header)
            return kMidiInvalidParam;
        if (!header->prepared)
            return kMidiUnprepared;
        if (failSends != kMidiOk)
            return failSends;
        Sent s{it->second.device, 0, QByteArray(""), std::chrono::steady_clock::now(), {}};
        if (header->bytesRecorded)
            s.sysex =
                QByteArray(reinterpret_cast<const char*>(header->data), int(header->bytesRecorded));
        m_sent.push_back(s);
        port = it->second;
    }
    port.callback(port.context, kMomDone, reinterpret_cast<std::uintptr_t>(header), 0);
    return kMidiOk;
}

int MidiLoopback::openInput(unsigned id, MidiCallback callback, void* context, MidiHandle& handle) {
    if (id >= unsigned(m_inputs.size()))
        return kMidiBadDeviceId;
    std::lock_guard lock(m_mutex);
    for (const auto& [h, in] : m_in)
        if (in.device == id)
            return kMidiAllocated;
    handle = m_next++;
    m_in[handle] = {id, std::make_unique<MidiInputPort>(callback, context)};
    return kMidiOk;
}

MidiInputPort* MidiLoopback::input(MidiHandle handle) {
    const auto it = m_in.find(handle);
    return it == m_in.end() ? nullptr : it->second.port.get();
}

int MidiLoopback::closeInput(MidiHandle handle) {
    std::lock_guard lock(m_mutex);
    return m_in.erase(handle) ? kMidiOk : kMidiInvalidHandle;
}

int MidiLoopback::addBuffer(MidiHandle handle, MidiHeader* header) {
    std::lock_guard lock(m_mutex);
    MidiInputPort* port = input(handle);
    return port ? port->addBuffer(header) : kMidiInvalidHandle;
}

int MidiLoopback::startInput(MidiHandle handle) {
    std::lock_guard lock(m_mutex);
    MidiInputPort* port = input(handle);
    if (!port)
        return kMidiInvalidHandle;
    port->start();
    return kMidiOk;
}

int MidiLoopback::stopInput(MidiHandle handle) {
    std::lock_guard lock(m_mutex);
    MidiInputPort* port = input(handle);
    if (!port)
        return kMidiInvalidHandle;
    port->stop();
    return kMidiOk;
}

int MidiLoopback::resetInput(MidiHandle handle) {
    std::lock_guard lock(m_mutex);
    MidiInputPort* port = input(handle);
    if (!port)
        return kMidiInvalidHandle;
    port->reset();
    return kMidiOk;
}

void MidiLoopback::inject(unsigned id, const std::vector<std::uint8_t>& bytes) {
    inject(id, bytes.data(), bytes.size());
}

void MidiLoopback::inject(unsigned id, const std::uint8_t* bytes, std::size_t size) {
    std::lock_guard lock(m_mutex);
    for (auto& [handle, in] : m_in)
        if (in.device == id)
            in.port->deliver(bytes, size);
}

void MidiLoopback::injectBlock(unsigned id, const QByteArray& block) {
    std::lock_guard lock(m_mutex);
    for (auto& [handle, in] : m_in)
        if (in.device == id)
            in.port->deliverBlock(reinterpret_cast<const std::uint8_t*>(block.constData()),
                                  std::size_t(block.size()));
}
