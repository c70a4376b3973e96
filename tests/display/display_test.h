#pragma once
// A clean state for the display tests: numbers in the C locale, whatever the machine's, and the
// settings with their display units (metric until a test switches).

#include "core/ini_file.h"
#include "core/settings.h"
#include "core/units.h"
#include "tests/support/core_test.h"

#include <QLocale>

namespace sarvo::test {

class DisplayTest : public CoreTest {
protected:
    void SetUp() override
    {
        CoreTest::SetUp();
        saved_ = QLocale();
        QLocale::setDefault(QLocale::c());
        settings.TemperatureUnits = "Celsius";
        useUnits(false);
    }
    void TearDown() override
    {
        QLocale::setDefault(saved_);
        CoreTest::TearDown();
    }
    void useUnits(bool inch)
    {
        settings.UnitsInch = inch;
        ComputeUnits(units, settings, IniFile(iniFile));
    }

    Settings settings;
    UnitState units;

private:
    QLocale saved_;
};

} // namespace sarvo::test
