#pragma once
// Optodyne 2-D files (*.2d2): the text files of a laser measurement, one per direction of travel
// and rotation, grouped into cases by their headers, and the import of one case (a pair of files
// per rotation) into runs of radial deviations.

#include "core/case.h"
#include "files/dispatch.h"
#include "files/read_context.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace sarvo::files {

inline constexpr char kOptodyneLocation[] = "Reading 2-D file";
inline constexpr int kOptoMaxSamples = 16384;
inline constexpr int kOptoPreSamples = 128;

struct OptoHeader {
    QString machine;
    QDateTime date;
    QString user;
    bool inch = false;
    QString comments;
    double feedrate = 0; // mm/min
    QString plane = QStringLiteral("xy");
    int16_t direction = 0;
    int16_t trigger = 0;
    double radius = 0; // mm
    int16_t rotation = 0;
    int32_t pointCount = 0;
    float startX = 0, startY = 0, startZ = 0; // mm
    double mirrorConvexity = 0;
};

// The header lines (Key=Value) of one file. Raises for a number out of range.
OptoHeader OptoReadHeader(const QByteArray& bytes, const QDateTime& now);

// One file's samples in units of 10 nm: the pre-trigger block and the measurement records from
// the record whose index is start to the one whose index reaches end.
struct OptoData {
    std::vector<int32_t> values;
    std::vector<float> aux;
    std::array<int32_t, kOptoPreSamples> preValues{};
    std::array<float, kOptoPreSamples> preAux{};
};
// triggerIndex -1: the window k2..k4 of the file; 0: that window moved by n quarters of k4 - k2.
OptoData OptoReadData(const QByteArray& bytes, int n, double scale, int triggerIndex);

// A case: the header of its first file and the file numbers (1-based into the list given, 0 for
// none) by direction and rotation.
struct OptoCase {
    OptoHeader header;
    std::array<std::array<int, 3>, 3> files{}; // [direction][rotation]
};
// Groups files of equal date, plane, radius, feedrate and user; a file whose header could not be
// read (nullopt) or whose direction or rotation lies outside 0..2 is left out. Only cases with at
// least one complete pair (directions 0 and 1 of rotation 1 or 2) are kept.
QList<OptoCase> OptoMatchFiles(const QList<std::optional<OptoHeader>>& headers);

// The import of a case into c: names[k - 1] is the path of file number k.
ReadResult OptoReadFile(Case& c, const OptoCase& optoCase, const QStringList& names, const ReadContext& ctx);

// The reader of the 2-D case form (a folder and up to four names): the header of the first file
// and the names by their places.
ReadResult ReadOptodyneForm(Case& c, const QString& form, const ReadContext& ctx);

// The cases of the files of a folder as the open-file window lists them; feedrateText formats a
// feedrate in mm/min with its unit.
QList<TwoDCase> ListOptodyneCases(const QString& folder, const QStringList& paths, const ReadContext& ctx,
                                  const std::function<QString(double)>& feedrateText);

// The steps of the import, each one pass over the samples.
int32_t OptoMean(const std::vector<int32_t>& a, int n);
double OptoMeanStep(const std::vector<float>& a, int n, double nominal);
// Puts the samples on the abscissas 0, step, 2 step, ...: inserted samples and samples whose grid
// point lies more than half a step before them get the abscissa -1. n changes with insertions and
// removals; raises when more than kOptoMaxSamples samples would result.
void OptoResample(std::vector<int32_t>& y, std::vector<float>& x, int& n, double step);
// Samples in one turn of the polar angle, from the first beyond half a turn to the first beyond
// one and a half; 0 or less when the data end before.
int OptoFindLap(const std::vector<int32_t>& y, const std::vector<int32_t>& x, int count0, int count1);

} // namespace sarvo::files
