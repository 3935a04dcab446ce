#include "shell/sorvantapplication.h"

#include <QLocale>

#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    QLocale::setDefault(QLocale::c());
    // The program's own application object, so its error net is tested too.
    sorvant::SorvantApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
