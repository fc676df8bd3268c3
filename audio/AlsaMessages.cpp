#include "audio/AlsaMessages.h"

#ifdef __linux__
#include <dlfcn.h>
#endif

namespace {

#ifdef __linux__
// The library's error handler type: (file, line, function, error, format, ...).
using AlsaErrorHandler = void (*)(const char*, int, const char*, int, const char*, ...);
using SetErrorHandler = int (*)(AlsaErrorHandler);

void ignoreAlsaMessage(const char*, int, const char*, int, const char*, ...) {}
#endif

} // namespace

void silenceAlsaMessages() {
#ifdef __linux__
    static const bool done = [] {
        // The sound library loads the same shared library later (or has already): the handler
        // set here is the one it uses. The handle stays open so the handler stays valid.
        void* alsa = dlopen("libasound.so.2", RTLD_NOW | RTLD_GLOBAL);
        if (alsa == nullptr)
            return false;
        auto set = reinterpret_cast<SetErrorHandler>(dlsym(alsa, "snd_lib_error_set_handler"));
        if (set == nullptr)
            return false;
        set(&ignoreAlsaMessage);
        return true;
    }();
    (void)done;
#endif
}
