#include "gui/program_services.h"

namespace sarvo {

ProgramServices& services()
{
    static ProgramServices s;
    return s;
}

namespace {
template <class Fn, class... Args>
void call(const Fn& fn, Args&&... args)
{
    if (fn)
        fn(std::forward<Args>(args)...);
}

template <class Fn, class... Args>
bool ask(const Fn& fn, Args&&... args)
{
    return fn ? fn(std::forward<Args>(args)...) : false;
}
} // namespace

void ShowResults() { call(services().showResults); }
void ShowBasicInfo() { call(services().showBasicInfo); }
void DrawGraph(WindowId window) { call(services().drawGraph, window); }
void AfterFileRead(bool ok, const QString& name) { call(services().afterFileRead, ok, name); }
bool OpenMeasurementFile(const QString& commandText) { return ask(services().openMeasurementFile, commandText); }
bool SaveRtb(const QString& fileName) { return ask(services().saveRtb, fileName); }
bool SaveBrvFile(const QString& fileName) { return ask(services().saveBrvFile, fileName); }
bool LoadCaseFromDb(int32_t measId) { return ask(services().loadCaseFromDb, measId); }

} // namespace sarvo
