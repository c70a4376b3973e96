#include "app/commands.h"

#include <algorithm>
#include <iterator>

namespace sarvo {

namespace {
constexpr const char* kCommandNames[] = {
    "MNew", "MOpen", "MOpenDB", "MSave", "MSaveToFile", "MBatch", "MPrint",
    "MRecent(0)", "MRecent(1)", "MRecent(2)", "MRecent(3)", "MExit",
    "MGraph", "MResult", "MSimuGraph", "MHistory",
    "MSimuShow", "MToolbar", "MPoint(0)", "MPoint(1)", "MPoint(2)", "MPoint(3)", "MPoint(4)",
    "MMetric", "MInches", "MMachine", "MLanguage", "MConfigure",
    "MArrange", "MContents", "MHow", "MInfo", "MAbout",
};
static_assert(std::size(kCommandNames) == kCommandCount);

constexpr const char* kButtonKeys[] = {"Exit", "New", "OpenFile", "OpenDb", "SaveDb",
                                       "Print", "Graph", "Result", "Trend", "Help"};
static_assert(std::size(kButtonKeys) == kButtonCount);
} // namespace

QString CommandName(CommandId id)
{
    return QString::fromLatin1(kCommandNames[std::size_t(id)]);
}

QString ButtonKey(ButtonId id)
{
    return QString::fromLatin1(kButtonKeys[std::size_t(id)]);
}

QString PanelKey(StatusPanel panel)
{
    switch (panel) {
    case StatusPanel::Info:
        return QStringLiteral("Info");
    case StatusPanel::ReadOnly:
        return QStringLiteral("ReadOnly");
    case StatusPanel::Logo:
        break;
    }
    return QStringLiteral("Logo");
}

CommandId RecentCommand(int index)
{
    return CommandId(int(CommandId::Recent0) + std::clamp(index, 0, 3));
}

CommandId MaxPointsCommand(int item)
{
    return CommandId(int(CommandId::Points500) + std::clamp(item, 0, 4));
}

std::optional<CommandId> ButtonCommand(ButtonId id)
{
    switch (id) {
    case ButtonId::New:
        return CommandId::NewMeasurement;
    case ButtonId::OpenFile:
        return CommandId::OpenFromFile;
    case ButtonId::OpenDb:
        return CommandId::OpenFromDatabase;
    case ButtonId::SaveDb:
        return CommandId::SaveToDatabase;
    case ButtonId::Print:
        return CommandId::Print;
    case ButtonId::Graph:
        return CommandId::Graph;
    case ButtonId::Result:
        return CommandId::Results;
    case ButtonId::Trend:
        return CommandId::Trend;
    case ButtonId::Exit:
    case ButtonId::Help:
        break;
    }
    return std::nullopt;
}

} // namespace sarvo
