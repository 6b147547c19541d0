// The normal table against its published values.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "md2/md2_normals.h"

namespace {

TEST(Md2Normals, FirstAndLastEntries) {
    EXPECT_EQ(kMd2Normals[0][0], -0.525731f);
    EXPECT_EQ(kMd2Normals[0][1], 0.0f);
    EXPECT_EQ(kMd2Normals[0][2], 0.850651f);
    EXPECT_EQ(kMd2Normals[161][0], -0.688191f);
    EXPECT_EQ(kMd2Normals[161][1], -0.587785f);
    EXPECT_EQ(kMd2Normals[161][2], -0.425325f);
}

// Every entry equals the published table's text read as a float.
TEST(Md2Normals, MatchesThePublishedTable) {
    std::ifstream csv(std::string(CORVANE_SOURCE_DIR) + "/tests/data/md2-normals.csv");
    ASSERT_TRUE(csv) << "cannot open the published normal table in tests/data";
    std::string line;
    std::getline(csv, line);  // column names
    int rows = 0;
    while (std::getline(csv, line)) {
        if (line.empty() || line == "\r") {
            continue;
        }
        std::stringstream fields(line);
        std::string index, x, y, z;
        std::getline(fields, index, ',');
        std::getline(fields, x, ',');
        std::getline(fields, y, ',');
        std::getline(fields, z, ',');
        int i = std::atoi(index.c_str());
        ASSERT_EQ(i, rows);
        ASSERT_LT(i, kMd2NormalCount);
        EXPECT_EQ(kMd2Normals[i][0], std::strtof(x.c_str(), nullptr)) << i;
        EXPECT_EQ(kMd2Normals[i][1], std::strtof(y.c_str(), nullptr)) << i;
        EXPECT_EQ(kMd2Normals[i][2], std::strtof(z.c_str(), nullptr)) << i;
        ++rows;
    }
    EXPECT_EQ(rows, kMd2NormalCount);
}

}  // namespace
