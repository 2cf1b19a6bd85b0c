// The flows need an event loop on the main thread: one QCoreApplication for every test.
#include <QCoreApplication>
#include <QLoggingCategory>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("korvane.datamgmt.info=false"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
