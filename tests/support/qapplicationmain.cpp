// The main() of the test programs that need a QApplication: the C locale
// pinned unless a test sets another.
#include <QApplication>
#include <QLocale>

#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    QLocale::setDefault(QLocale::c());
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
