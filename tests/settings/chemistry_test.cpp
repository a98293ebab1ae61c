#include "settings/chemistry.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QSize>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tessaline;

namespace {

// Every test gets a config folder of its own, so nothing touches the user's.
class Chemistry : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(config_.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, config_.path());
    }
    QTemporaryDir config_;
};

TEST_F(Chemistry, FirstRunMakesTheStoreAndWritesTheVersion) {
    chemistry store("Korrabel", "1.2.3", "Tessaline");
    EXPECT_TRUE(store.version_written);
    EXPECT_TRUE(store.file_name().startsWith(config_.path()));
    EXPECT_TRUE(store.file_name().endsWith("Korrabel/Tessaline.conf"));
    EXPECT_TRUE(QFile::exists(store.file_name()));
    EXPECT_EQ(store.read_setting("version"), "1.2.3");
    EXPECT_EQ(store.read_setting("excel_tip"), "");
}

TEST_F(Chemistry, EveryStartWritesTheVersionAgain) {
    { chemistry("Korrabel", "1.0.0", "Tessaline"); }
    chemistry later("Korrabel", "1.0.1", "Tessaline");
    EXPECT_EQ(later.read_setting("version"), "1.0.1");
}

TEST_F(Chemistry, ValuesOutliveTheStoreAndSeeOtherWriters) {
    {
        chemistry store("Korrabel", "1", "Tessaline");
        EXPECT_TRUE(store.write_setting("excel_tip", "1"));
    }
    chemistry reader("Korrabel", "1", "Tessaline");
    EXPECT_EQ(reader.read_setting("excel_tip"), "1");
    chemistry writer("Korrabel", "1", "Tessaline");
    writer.write_setting("excel_tip", "");
    EXPECT_EQ(reader.read_setting("excel_tip"), "");
}

TEST_F(Chemistry, AValueThatIsNotTextReadsAsEmpty) {
    chemistry store("Korrabel", "1", "Tessaline");
    {
        QSettings raw(QSettings::NativeFormat, QSettings::UserScope, "Korrabel", "Tessaline");
        raw.setValue("excel_tip", QStringList{"a", "b"});
        raw.setValue("size", QSize(3, 4));
    }
    EXPECT_EQ(store.read_setting("excel_tip"), "");
    EXPECT_EQ(store.read_setting("size"), "");
}

TEST_F(Chemistry, AStoreThatCannotBeWrittenSaysSo) {
    chemistry store("Korrabel", "1", "Tessaline");
    // A folder in the file's place cannot be replaced, not even by root.
    ASSERT_TRUE(QFile::remove(store.file_name()));
    ASSERT_TRUE(QDir().mkpath(store.file_name()));
    EXPECT_FALSE(store.write_setting("excel_tip", "1"));
    EXPECT_FALSE(chemistry("Korrabel", "2", "Tessaline").version_written);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
