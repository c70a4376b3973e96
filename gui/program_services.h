#pragma once
// The operations that windows ask of the program across the layers: the frame and the
// subsystems' windows call these, and the program installs each handler when it starts. A handler not installed does nothing (and a
// question answers false), so every part runs and is testable before its neighbours exist.

#include "gui/window_registry.h"

#include <QString>

#include <cstdint>
#include <functional>

namespace sarvo {

struct ProgramServices {
    // Results, graphs and reports.
    std::function<void()> showResults;
    std::function<void()> showBasicInfo;
    std::function<void(WindowId window)> drawGraph;
    // The frame's closing step after a file read.
    std::function<void(bool ok, const QString& name)> afterFileRead;
    // Measurement files.
    std::function<bool(const QString& commandText)> openMeasurementFile;
    std::function<bool(const QString& fileName)> saveRtb;
    std::function<bool(const QString& fileName)> saveBrvFile;
    // Case database.
    std::function<bool(int32_t measId)> loadCaseFromDb;
};

ProgramServices& services();

// Fills and shows the results window for the open case (running the error-model fit first when
// its results are not current).
void ShowResults();
// Fills and shows the case-information window.
void ShowBasicInfo();
// Redraws the graph or the result graph.
void DrawGraph(WindowId window);
void AfterFileRead(bool ok, const QString& name);
// Reads the file (or Optodyne file set) named by the text into the open case and runs the
// after-load step; true when the read succeeded.
bool OpenMeasurementFile(const QString& commandText);
bool SaveRtb(const QString& fileName);
bool SaveBrvFile(const QString& fileName);
// Loads the stored case into the open case; false when it cannot be loaded (already reported).
bool LoadCaseFromDb(int32_t measId);

} // namespace sarvo
