// Command-line arguments are read in exactly their documented forms.
#include <gtest/gtest.h>

#include <string>

#include "core/Args.h"

using args::Form;

TEST(Args, OnlyTheDocumentedFormsAreRead) {
  struct Case {
    const char* text;
    Form form;
    const char* refusal;  // "" when the form fits
  } cases[] = {
      {"2024", Form::kWhole, ""},
      {"-660", Form::kWhole, ""},
      {"0", Form::kWhole, ""},
      {"2024-06-15", Form::kDate, ""},
      {"-660-2-11", Form::kDate, ""},
      {"12", Form::kDecimal, ""},
      {"139.7", Form::kDecimal, ""},
      {"-35.25", Form::kDecimal, ""},
      {"", Form::kWhole, "is empty"},
      {" 2024-06-15", Form::kDate, "has blanks or line breaks in it"},
      {"2024- 6-15", Form::kDate, "has blanks or line breaks in it"},
      {"+2024-\n6-5", Form::kDate, "has blanks or line breaks in it"},
      {"2024 ", Form::kWhole, "has blanks or line breaks in it"},
      {"\t12", Form::kDecimal, "has blanks or line breaks in it"},
      {"+2024", Form::kWhole, "has a '+' sign"},
      {"2024-+6-15", Form::kDate, "has a '+' sign"},
      {"0x0C", Form::kDecimal, "is hexadecimal"},
      {"-0x8C", Form::kDecimal, "is hexadecimal"},
      {"1e3", Form::kWhole, "has an exponent"},
      {"1.5E2", Form::kDecimal, "has an exponent"},
      {"12.5", Form::kWhole, "has a fraction"},
      {"１２", Form::kWhole, "has characters other than ASCII digits (full-width digits?)"},
      {"12\x01", Form::kWhole, "has control characters in it"},
      {"nan", Form::kDecimal, "is not of the form a decimal number such as 139.7 or -35"},
      {"12.", Form::kDecimal, "is not of the form a decimal number such as 139.7 or -35"},
      {".5", Form::kDecimal, "is not of the form a decimal number such as 139.7 or -35"},
      {"2024-006-15", Form::kDate, "is not of the form YYYY-MM-DD such as 2024-06-15 or -660-2-11"},
      {"2024-06-15-", Form::kDate, "is not of the form YYYY-MM-DD such as 2024-06-15 or -660-2-11"},
      {"--2024-06-15", Form::kDate, "is not of the form YYYY-MM-DD such as 2024-06-15 or -660-2-11"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(args::Refusal(c.text, c.form), c.refusal);
    long long i = 0;
    double d = 0;
    int y = 0, m = 0, day = 0;
    const bool fits = *c.refusal == '\0';
    switch (c.form) {
      case Form::kWhole: EXPECT_EQ(args::ParseInt(c.text, -999999, 999999, i), fits); break;
      case Form::kDecimal: EXPECT_EQ(args::ParseDouble(c.text, -999, 999, d), fits); break;
      case Form::kDate: EXPECT_EQ(args::ParseDate(c.text, y, m, day), fits); break;
    }
  }
  int y = 0, m = 0, d = 0;
  ASSERT_TRUE(args::ParseDate("-660-2-11", y, m, d));
  EXPECT_EQ(y * 10000 + m * 100 + d, -660 * 10000 + 211);
  double v = 0;
  EXPECT_FALSE(args::ParseDouble("181", -180, 180, v)) << "a form that fits may still be out of range";
  EXPECT_TRUE(args::ParseDouble("-35.25", -90, 90, v));
  EXPECT_EQ(v, -35.25);
}
