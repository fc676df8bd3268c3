#include "audio/MidiCallback.h"

#include "audio/MidiEventRing.h"
#include "audio/MidiPlatform.h"
#include "audio/MidiWakeup.h"

#include <QMetaObject>

void MidiDeviceCallback(void* context, unsigned notify, std::uintptr_t p1, std::uintptr_t p2) {
    auto* ctx = static_cast<MidiCallbackContext*>(context);
    switch (notify) {
    case kMimData:
    case kMimLongData:
    case kMimLongError: {
        if (notify == kMimData && (p1 == 0xFE || p1 == 0xF8))
            return; // active sensing and timing clock never reach the queue
        if (!ctx || !ctx->ring)
            return;
        if (notify == kMimData && ctx->sysexOnly.load(std::memory_order_relaxed))
            return;
        MidiRingItem item;
        item.timestamp = std::uint32_t(p2);
        if (notify == kMimData) {
            item.shortMessage = std::uint32_t(p1);
        } else {
            const auto* header = reinterpret_cast<const MidiHeader*>(p1);
            item.sysexSlot = header ? header->slot : 0;
            if (item.sysexSlot == 0)
                return;
        }
        const bool stored = ctx->ring->put(item);
        if (ctx->window)
            ctx->window->post(stored ? MidiWakeup::Data : MidiWakeup::Overflow);
        return;
    }
    case kMomDone: {
        if (!ctx || !ctx->window || !ctx->outputDone)
            return;
        auto* header = reinterpret_cast<MidiHeader*>(p1);
        // Output runs on the GUI thread; the block is handed back after the current call.
        QMetaObject::invokeMethod(
            ctx->window, [ctx, header] { ctx->outputDone(header); }, Qt::QueuedConnection);
        return;
    }
    default:
        return;
    }
}
