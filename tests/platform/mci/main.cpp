#include <QApplication>

#include <gtest/gtest.h>

#include <clocale>

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    // The player library reads numbers in the C convention only.
    std::setlocale(LC_NUMERIC, "C");
    return RUN_ALL_TESTS();
}
