#include <QApplication>

#include <gtest/gtest.h>

// Fonts and dialogs need a GUI application; run-isolated.sh makes it headless.
int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
