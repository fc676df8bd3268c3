#include "base/Guard.h"

#include "base/Errors.h"
#include "base/Prompts.h"

#include <exception>
#include <new>

bool guarded(const std::function<void()>& handler) {
    try {
        handler();
        return true;
    } catch (const AppError& error) {
        prompts().showError(error.message());
    } catch (const std::bad_alloc&) {
        prompts().showError(QStringLiteral("Zu wenig Arbeitsspeicher"));
    } catch (const std::exception& error) {
        prompts().showError(QString::fromLocal8Bit(error.what()));
    }
    return false;
}
