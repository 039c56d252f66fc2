#include <QApplication>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <cstdlib>

#ifdef VANTREL_TEST_APP_MAIN
#include "app/ProgramStyle.h"
#include "app/VantrelApplication.h"
using TestApplication = VantrelApplication;
#else
using TestApplication = QApplication;
#endif

// One main for every test executable. Widget tests need a QApplication; the
// offscreen platform is the default so a test runs without a display unless
// the runner started one on purpose (end-to-end tests set QT_QPA_PLATFORM).
int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The program scales by hand; tests see the same pixels it does.
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    QStandardPaths::setTestModeEnabled(true);
    TestApplication app(argc, argv);
#ifdef VANTREL_TEST_APP_MAIN
    // The program's windows are tested in the program's style.
    QApplication::setStyle(new ProgramStyle);
#endif
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
