// The form store through the C interface, with forms that differ: each form has a data
// field named after it and a line at its own height, so a field look-up or a form pass
// shows which form a number (and the current form) really holds.
#include "formdraw/abi/trace_session.h"

namespace fmtest {
namespace {

using Lines = std::vector<std::string>;

// A form with the data field `name` and a horizontal line `y` twips down.
FormBuilder Named(const std::string& name, int y = 0) {
  FormBuilder form;
  form.Add(6, Rec(92).I16(0, 1).W(2, 1440).W(3, 0).W(4, 1440).W(5, 720).B(21, 10).B(28, 1).B(29, 1)
                  .B(34, 128).B(35, 128).S(36, "X").S(68, name),
           false);
  form.Add(1, Rec(26).W(0, 1).W(3, 1).W(5, y).W(6, 1440).W(7, y).W(8, 1));
  return form;
}

class FormStore : public TraceSession {
 protected:
  // Writes `form` as root/<file> and returns its path.
  std::string Write(const std::string& file, const FormBuilder& form) {
    const std::string path = (root_ / file).string();
    std::ofstream(path, std::ios::binary | std::ios::trunc) << form.Bytes();
    return path;
  }
  std::string Missing() const { return (root_ / "missing.fed").string(); }
  // Whether the current form has a data field of that name.
  bool Has(const std::string& field) {
    int32_t rect[4] = {};
    return FmGetFieldInfo(1, field.c_str(), rect, S()) == 0;
  }
  // The name of the current form's field among A, B, C, A2 ("" for none).
  std::string Current() {
    for (const char* name : {"A", "B", "C", "A2"})
      if (Has(name)) return name;
    return "";
  }
};

// The current number whose slot is given up must not pick up the form that is loaded
// into that slot next.
TEST_F(FormStore, CurrentFormNeverBecomesAnotherNumbersForm) {
  Open(Named("A"));
  const std::string b = Write("b.fed", Named("B")), c = Write("c.fed", Named("C"));
  EXPECT_EQ(FmSetForm(1, 100, 0, 0, Missing().c_str(), S()), -1);
  ASSERT_EQ(FmSetForm(2, 100, 0, 0, b.c_str(), S()), 0);
  ASSERT_EQ(FmSetLong(99, 2, S()), 0);
  EXPECT_EQ(Current(), "B");
  // Number 2 is registered again for the file number 1 names, which is not loaded.
  ASSERT_EQ(FmSetForm(2, 100, 0, 0, Missing().c_str(), S()), 0);
  EXPECT_EQ(Current(), "");
  ASSERT_EQ(FmSetForm(3, 100, 0, 0, c.c_str(), S()), 0);
  EXPECT_EQ(Current(), "") << "number 2 must not act on number 3's form";
  EXPECT_EQ(FmPrintForm(nullptr, S()), 0);
  EXPECT_EQ(FmSetLong(99, 2, S()), -3) << "its file still cannot be loaded";
  ASSERT_EQ(FmSetLong(99, 3, S()), 0);
  EXPECT_EQ(Current(), "C");
  ASSERT_EQ(FmSetLong(99, 0, S()), 0);
  EXPECT_EQ(Current(), "A");
  EXPECT_TRUE(Only(Close(), "LineTo").empty()) << "the pass of an empty current form draws nothing";
}

TEST_F(FormStore, CurrentNumberGivenAFileUsesItAtOnce) {
  Open(Named("A"));
  const std::string a = (root_ / "form.fed").string(), b = Write("b.fed", Named("B"));
  ASSERT_EQ(FmSetForm(1, 100, 0, 0, a.c_str(), S()), 0);  // an alias of 0
  ASSERT_EQ(FmSetLong(99, 1, S()), 0);
  EXPECT_EQ(Current(), "A");
  ASSERT_EQ(FmSetForm(1, 100, 0, 0, b.c_str(), S()), 0);
  EXPECT_EQ(Current(), "B");
  ASSERT_EQ(FmSetLong(99, 0, S()), 0);
  EXPECT_EQ(Current(), "A") << "number 0 keeps its form";
  // A file that cannot be loaded leaves the number without a form, not with its old one.
  ASSERT_EQ(FmSetForm(1, 100, 0, 0, b.c_str(), S()), 0);
  ASSERT_EQ(FmSetLong(99, 1, S()), 0);
  EXPECT_EQ(FmSetForm(1, 100, 0, 0, Missing().c_str(), S()), -1);
  EXPECT_EQ(Current(), "");
}

// The file of number 2 is rewritten before number 3 is registered for it: a number that
// shares number 2's loading still sees the old content, one loaded anew sees the new.
TEST_F(FormStore, AliasSearchStopsAtTheFirstNumberWithoutAName) {
  Open(Named("A"));
  const std::string a = (root_ / "form.fed").string(), b = Write("b.fed", Named("B"));
  ASSERT_EQ(FmSetForm(1, 100, 0, 0, a.c_str(), S()), 0);  // an alias of 0
  ASSERT_EQ(FmSetForm(2, 100, 0, 0, b.c_str(), S()), 0);
  ASSERT_EQ(FmSetForm(4, 100, 0, 0, a.c_str(), S()), 0);  // 0 names a.fed: an alias again
  Write("b.fed", Named("C"));
  Write("form.fed", Named("A2"));
  ASSERT_EQ(FmSetForm(3, 100, 0, 0, b.c_str(), S()), 0);
  ASSERT_EQ(FmSetLong(99, 4, S()), 0);
  EXPECT_EQ(Current(), "A") << "registering a file an earlier number names loads nothing new";
  ASSERT_EQ(FmSetLong(99, 2, S()), 0);
  EXPECT_EQ(Current(), "B");
  ASSERT_EQ(FmSetLong(99, 3, S()), 0);
  EXPECT_EQ(Current(), "C") << "the search ended at alias 1, so number 3 was loaded itself";
}

// Numbers that share a file keep it when the number they share it with is given another.
TEST_F(FormStore, AliasesKeepTheirFileWhenTheOwnerChanges) {
  Open(Named("A"));
  const std::string a = (root_ / "form.fed").string(), b = Write("b.fed", Named("B"));
  ASSERT_EQ(FmSetForm(1, 100, 0, 0, a.c_str(), S()), 0);
  ASSERT_EQ(FmSetForm(2, 100, 0, 0, a.c_str(), S()), 0);
  ASSERT_EQ(FmSetForm(0, 100, 0, 0, b.c_str(), S()), 0);
  EXPECT_EQ(Current(), "B");
  for (int number : {1, 2}) {
    ASSERT_EQ(FmSetLong(99, number, S()), 0) << number;
    EXPECT_EQ(Current(), "A") << number;
  }
}

TEST_F(FormStore, ChangeFormUsesTheNewFormsFieldsAndObjects) {
  Open(Named("A", 0));
  ASSERT_EQ(FmSetLong(7, 50, S()), 0);
  const std::string b = Write("b.fed", Named("B", 1440));
  ASSERT_EQ(FmChangeForm(b.c_str(), S()), 0);
  EXPECT_EQ(Current(), "B");
  int32_t rect[4] = {};
  ASSERT_EQ(FmGetFieldInfo(1, "B", rect, S()), 0);
  EXPECT_EQ(rect[0], 2540);
  ASSERT_EQ(FmPrintForm(nullptr, S()), 0);
  // b's line 1440 twips down at the kept 50 percent: 150 dots at 300 dpi.
  EXPECT_EQ(Only(Close(), "LineTo"), (Lines{"LineTo 150 150"}));
}

TEST_F(FormStore, FailedChangeFormLeavesTheCurrentFormEmpty) {
  Open(Named("A"));
  EXPECT_EQ(FmChangeForm(Missing().c_str(), S()), -5);
  EXPECT_EQ(Current(), "");
  EXPECT_EQ(FmPrintDataField("A", "1", S()), -3);
  EXPECT_EQ(FmPrintForm(nullptr, S()), 0);
  const std::string b = Write("b.fed", Named("B"));
  ASSERT_EQ(FmChangeForm(b.c_str(), S()), 0);
  EXPECT_EQ(Current(), "B");
  ASSERT_EQ(FmPrintForm(nullptr, S()), 0);
  EXPECT_EQ(Only(Close(), "LineTo").size(), 1u) << "only b's line";
}

}  // namespace
}  // namespace fmtest
