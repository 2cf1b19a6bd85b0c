// The map addresses: defaults, the user's settings file and the environment on top.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "map/map_addresses.h"

using namespace korvane;

namespace {
QString WriteConf(const QTemporaryDir& dir, const QByteArray& text)
{
    const QString path = dir.filePath(QStringLiteral("Korvane.conf"));
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text);
    return path;
}
} // namespace

TEST(MapAddresses, DefaultsArePublicTilesAndNoUpdatePage)
{
    const MapAddresses a = LoadMapAddresses(QStringLiteral("/nonexistent/Korvane.conf"), QProcessEnvironment());
    EXPECT_EQ(a.terrainTiles, QStringLiteral("https://{s}.tile.opentopomap.org/{z}/{x}/{y}.png"));
    EXPECT_EQ(a.streetTiles, QStringLiteral("https://tile.openstreetmap.org/{z}/{x}/{y}.png"));
    EXPECT_EQ(a.connectivityUrl, QStringLiteral("https://tile.openstreetmap.org/"));
    EXPECT_TRUE(a.updateUrl.isEmpty());
}

TEST(MapAddresses, FileThenEnvironment)
{
    QTemporaryDir dir;
    const QString conf = WriteConf(dir,
        "[Other]\nStreetTiles=http://wrong/{z}/{x}/{y}.png\n"
        "[maps]\n terraintiles = \"http://10.0.0.1:8080/t/{z}/{x}/{y}.png\"\n"
        "StreetTiles=http://{s}.street.example/{z}/{x}/{y}.png\nUpdateUrl=http://vendor.example/update/\n");
    MapAddresses a = LoadMapAddresses(conf, QProcessEnvironment());
    EXPECT_EQ(a.terrainTiles, QStringLiteral("http://10.0.0.1:8080/t/{z}/{x}/{y}.png"));
    EXPECT_EQ(a.streetTiles, QStringLiteral("http://{s}.street.example/{z}/{x}/{y}.png"));
    EXPECT_EQ(a.connectivityUrl, QStringLiteral("http://a.street.example/"));   // follows the street tiles
    EXPECT_EQ(a.updateUrl, QStringLiteral("http://vendor.example/update/"));

    QProcessEnvironment env;
    env.insert(QStringLiteral("KORVANE_CONNECTIVITY_URL"), QStringLiteral("http://127.0.0.1:9/connected/"));
    env.insert(QStringLiteral("KORVANE_UPDATE_URL"), QString());                // empty: no update check
    env.insert(QStringLiteral("KORVANE_STREET_TILES"), QStringLiteral("http://127.0.0.1:9/s/{z}/{x}/{y}.png"));
    a = LoadMapAddresses(conf, env);
    EXPECT_EQ(a.connectivityUrl, QStringLiteral("http://127.0.0.1:9/connected/"));
    EXPECT_TRUE(a.updateUrl.isEmpty());
    EXPECT_EQ(a.streetTiles, QStringLiteral("http://127.0.0.1:9/s/{z}/{x}/{y}.png"));
}

TEST(MapAddresses, UnusableValuesAreIgnored)
{
    QProcessEnvironment env;
    env.insert(QStringLiteral("KORVANE_TERRAIN_TILES"), QStringLiteral("http://host/no-placeholders.png"));
    env.insert(QStringLiteral("KORVANE_STREET_TILES"), QStringLiteral("file:///etc/{z}/{x}/{y}"));
    env.insert(QStringLiteral("KORVANE_UPDATE_URL"), QStringLiteral("javascript:alert(1)"));
    const MapAddresses a = LoadMapAddresses(QString(), env);
    const MapAddresses d = DefaultMapAddresses();
    EXPECT_EQ(a.terrainTiles, d.terrainTiles);
    EXPECT_EQ(a.streetTiles, d.streetTiles);
    EXPECT_TRUE(a.updateUrl.isEmpty());
}
