#include "app/app_context.h"

#include <memory>

namespace sarvo {

namespace {
std::unique_ptr<AppContext>& instance()
{
    static std::unique_ptr<AppContext> context = std::make_unique<AppContext>();
    return context;
}
} // namespace

AppContext& app()
{
    return *instance();
}

void ResetAppContext()
{
    instance() = std::make_unique<AppContext>();
}

} // namespace sarvo
