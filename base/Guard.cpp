#include "base/Guard.h"

#include "base/Errors.h"
#include "base/Prompts.h"

#include <exception>

bool guarded(const std::function<void()>& handler) {
    try {
        handler();
        return true;
    } catch (const AppError& error) {
        prompts().showError(error.message());
    } catch (const std::exception& error) {
        prompts().showError(QString::fromLocal8Bit(error.what()));
    }
    return false;
}
