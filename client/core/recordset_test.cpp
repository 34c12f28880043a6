#include <gtest/gtest.h>

#include "client/core/database.h"

namespace tb::db {
namespace {

Recordset Tags() {
  return Recordset({"TAG_ID", "Title", "AVE"},
                   {{"3", "流量", "1.5"},
                    {"5", "水温", std::nullopt},
                    {"12", "it's", "2"},
                    {"5", "再出現", "3"}});
}

TEST(RecordsetTest, FieldsByNameIgnoreAsciiCaseAndNullIsNullopt) {
  Recordset rs = Tags();
  EXPECT_EQ(rs.Field("tag_id"), "3");
  EXPECT_EQ(rs.Field("TITLE"), "流量");
  rs.MoveNext();
  EXPECT_EQ(rs.Field("AVE"), std::nullopt);
  EXPECT_THROW((void)rs.Field("NOPE"), DbError);
}

TEST(RecordsetTest, FieldAtEofThrowsAndMovesStopAtEof) {
  Recordset rs = Tags();
  for (int i = 0; i < 10; ++i) rs.MoveNext();
  EXPECT_TRUE(rs.Eof());
  EXPECT_THROW((void)rs.Field("TAG_ID"), DbError);
  rs.MoveFirst();
  EXPECT_EQ(rs.Field("TAG_ID"), "3");
  Recordset empty({"MAXP"}, {});
  EXPECT_TRUE(empty.Eof());
  EXPECT_TRUE(empty.Bof());
  EXPECT_THROW((void)empty.Field("MAXP"), DbError);
}

TEST(RecordsetTest, ClosedRowSetIsEofAndRefusesFields) {
  Recordset rs = Tags();
  rs.Close();
  EXPECT_FALSE(rs.IsOpen());
  EXPECT_TRUE(rs.Eof());
  EXPECT_THROW((void)rs.Field("TAG_ID"), DbError);
  EXPECT_FALSE(Recordset().IsOpen());
}

TEST(RecordsetTest, FindSearchesForwardFromTheCurrentRowInclusive) {
  Recordset rs = Tags();
  ASSERT_TRUE(rs.Find("TAG_ID = 5"));
  EXPECT_EQ(rs.Field("Title"), "水温");
  ASSERT_TRUE(rs.Find("TAG_ID = 5"));  // the current row matches: stays
  EXPECT_EQ(rs.Field("Title"), "水温");
  rs.MoveNext();
  ASSERT_TRUE(rs.Find("tag_id=5"));
  EXPECT_EQ(rs.Field("Title"), "再出現");
  rs.MoveNext();
  EXPECT_FALSE(rs.Find("TAG_ID = 3"));  // never looks back
  EXPECT_TRUE(rs.Eof());
}

TEST(RecordsetTest, FindComparesNumbersByValueAndTextExactly) {
  struct Row {
    const char* criterion;
    bool found;
    const char* title;
  };
  const Row rows[] = {
      {"TAG_ID = 12", true, "it's"},     {"TAG_ID = 12.0", true, "it's"},
      {"TAG_ID = +3", true, "流量"},      {"TAG_ID = 4", false, nullptr},
      {"Title = '水温'", true, "水温"},   {"Title = 'it''s'", true, "it's"},
      {"AVE = 1.50", true, "流量"},       {"Title = '流'", false, nullptr},
      {"AVE = 2", true, "it's"},          {"AVE = 7", false, nullptr},  // Null matches nothing
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.criterion);
    Recordset rs = Tags();
    EXPECT_EQ(rs.Find(r.criterion), r.found);
    if (r.found) {
      EXPECT_EQ(rs.Field("Title"), r.title);
    }
  }
  // A value that only begins with the number is text, and equals no number.
  Recordset units({"AVE"}, {{"1.5 m3"}, {"12abc"}});
  EXPECT_FALSE(units.Find("AVE = 1.5"));
  units.MoveFirst();
  EXPECT_FALSE(units.Find("AVE = 12"));
}

TEST(RecordsetTest, FindRefusesCriteriaItCannotRead) {
  for (const char* bad : {"TAG_ID", "TAG_ID = abc", "NOPE = 1", "Title = 'open", "Title = 'a'b'",
                          "Title = 'it''", "TAG_ID = ",
                          "TAG_ID = 12abc"}) {
    SCOPED_TRACE(bad);
    Recordset rs = Tags();
    EXPECT_THROW(rs.Find(bad), DbError);
  }
}

}  // namespace
}  // namespace tb::db
