#include "app/ToolWindows.h"

#include <QWidget>

#include <functional>
#include <map>

namespace {

using Factory = std::function<QWidget*(QWidget*)>;

const std::map<int, Factory>& factories()
{
    static const std::map<int, Factory> f{
    };
    return f;
}

}  // namespace

namespace ToolWindows {

bool has(int toolId)
{
    return factories().count(toolId) > 0;
}

QWidget* create(int toolId, QWidget* parent)
{
    auto it = factories().find(toolId);
    return it == factories().end() ? nullptr : it->second(parent);
}

}  // namespace ToolWindows
