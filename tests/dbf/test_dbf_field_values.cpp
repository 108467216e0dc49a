// Typed field values of awkward record bytes, as the table handler and the
// dataset read them: blanks, zero bytes, signs, fractions in whole-number
// fields, bad digits, empty and impossible dates, logical letters. The
// expected values are those the engine has always given; a faster decoding
// must give the same, errors included, whether the dataset copies a text or
// hands out a view into the record.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "dbf/dbf_dataset.h"
#include "dbf/dbf_errors.h"
#include "dbf/table_builder.h"
#include "dbf/table_handler.h"
#include "dbf_test_support.h"

using namespace kelmo::dbf;
using kelmo::dbf::testing::ScratchFolder;

namespace {

struct Shape {
  const char* name;
  char type;
  int width;
  int decimals;
};
const Shape kShapes[] = {
    {"TXT", 'C', 12, 0}, {"LONG", 'C', 30, 0}, {"SI", 'N', 4, 0},
    {"INT", 'N', 9, 0},  {"BIG", 'N', 19, 0},  {"AMT", 'N', 12, 3},
    {"FL", 'F', 10, 2},  {"DAY", 'D', 8, 0},   {"OK", 'L', 1, 0},
};

// One record per case: the field holds the raw bytes (numbers right-aligned,
// the rest left-aligned, padded with blanks), the other fields are blank.
struct Case {
  const char* field;
  std::string raw;
  std::string dataset;  // the dataset's value (see DatasetValue)
  std::string handler;  // the handler's display text, then its typed value
};

const std::vector<Case>& Cases() {
  using namespace std::string_literals;
  static const std::vector<Case> cases = {
      {"TXT", "", "null", "|"},
      {"TXT", "  lead trail ", "s:  lead trail", "  lead trail|"},
      {"TXT", "abc\0\0\0\0\0\0\0\0\0"s, "s:abc", "abc|"},
      {"TXT", "a\0b  \0 \0 \0 \0"s, "s:a\\x00b", "a\\x00b|"},
      {"TXT", "ABCDEFGHIJKL", "s:ABCDEFGHIJKL", "ABCDEFGHIJKL|"},
      {"TXT", "\x88\xa2\xa0\xad\xae\xa2", "s:\\x88\\xa2\\xa0\\xad\\xae\\xa2",
       "\\x88\\xa2\\xa0\\xad\\xae\\xa2|"},
      {"TXT", "\t tab\t", "s:\\x09 tab\\x09", "\\x09 tab\\x09|"},
      {"LONG", "a text longer than fifteen", "s:a text longer than fifteen",
       "a text longer than fifteen|"},
      {"LONG", std::string(30, 'x'), "s:xxxxxxxxxxxxxxxxxxxxxxxxxxxxxx",
       "xxxxxxxxxxxxxxxxxxxxxxxxxxxxxx|"},
      // Padding is looked at sixteen and eight bytes at a time: texts ending
      // on each side of those steps, zero bytes among the padding.
      {"LONG", "x", "s:x", "x|"},
      {"LONG", "               y", "s:               y", "               y|"},
      {"LONG", "              z", "s:              z", "              z|"},
      {"LONG", "abc\0\0\0  \0\0\0\0\0\0\0\0\0\0\0\0  \0\0 \0\0\0\0\0"s, "s:abc", "abc|"},
      {"LONG", "\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0"s, "null", "|"},
      {"SI", "", "i:0", "0|0"},
      {"SI", " -12", "i:-12", "-12|-12"},
      {"SI", "+7", "i:7", "+7|7"},
      {"SI", "1.5", "i:2", "1.5|1.5"},
      {"SI", "-0.5", "i:-1", "-0.5|-0.5"},
      {"SI", "-2.5", "i:-3", "-2.5|-2.5"},
      {"SI", "12x", "error", "12x|error"},
      {"SI", "--1", "error", "--1|error"},
      {"SI", "-", "error", "-|error"},
      {"SI", ".", "error", ".|error"},
      {"SI", "1 2", "error", "1 2|error"},
      {"SI", "\0\0\0\0"s, "i:0", "0|0"},
      {"SI", "12\0\0"s, "i:12", "12|12"},
      {"INT", "123456789", "i:123456789", "123456789|123456789"},
      {"INT", "-12345678", "i:-12345678", "-12345678|-12345678"},
      {"INT", "0000042", "i:42", "0000042|42"},
      {"INT", "1e5", "error", "1e5|error"},
      {"INT", "nan", "error", "nan|error"},
      {"INT", "inf", "error", "inf|error"},
      {"INT", "12 ", "i:12", "12|12"},
      {"BIG", "1234567890123456789", "i:1234567890123456768",
       "1234567890123456789|1.2345678901234568e+18"},
      {"BIG", "-999999999999999", "i:-999999999999999", "-999999999999999|-999999999999999"},
      {"BIG", "9999999999999999", "i:10000000000000000", "9999999999999999|10000000000000000"},
      {"BIG", "123456789012345.6", "i:123456789012346", "123456789012345.6|123456789012345.59"},
      {"AMT", "   -1234.567", "f:-1234.567", "-1234.567|-1234.567"},
      {"AMT", "0.001", "f:0.001", "0.001|0.001"},
      {"AMT", ".5", "f:0.5", ".5|0.5"},
      {"AMT", "5.", "f:5", "5.|5"},
      {"AMT", "-.25", "f:-0.25", "-.25|-0.25"},
      {"AMT", "", "f:0", "0.000|0"},
      {"AMT", "1.2.3", "error", "1.2.3|error"},
      {"AMT", "0.1234567890", "f:0.123456789", "0.1234567890|0.123456789"},
      {"AMT", "99999999.999", "f:99999999.998999998", "99999999.999|99999999.998999998"},
      {"FL", "  12.34", "f:12.34", "12.34|12.34"},
      {"FL", "-0.00", "f:-0", "-0.00|-0"},
      {"DAY", "20120131", "d:734533", "31.01.2012|2455958"},
      {"DAY", "", "null", "|0"},
      {"DAY", "00000000", "null", "|0"},
      {"DAY", "       0", "null", "|0"},
      {"DAY", "20120230", "null", "30.12.1899|2415019"},
      {"DAY", "2012x131", "null", "error"},
      {"DAY", "2012013", "null", "error"},
      {"DAY", "00010101", "d:1", "01.01.0001|1721426"},
      {"DAY", "99991231", "d:3652059", "31.12.9999|5373484"},
      {"DAY", "31.01.12", "null", "31.01.2012|2455958"},
      {"DAY", "\0\0\0\0\0\0\0\0"s, "null", "error"},
      {"OK", "T", "b:1", "T|1"},
      {"OK", "t", "b:1", "T|1"},
      {"OK", "Y", "b:1", "T|1"},
      {"OK", "y", "b:1", "T|1"},
      {"OK", "J", "b:1", "T|1"},
      {"OK", "j", "b:1", "T|1"},
      {"OK", "F", "b:0", "F|0"},
      {"OK", "N", "b:0", "F|0"},
      {"OK", "?", "b:0", "F|0"},
      {"OK", "", "b:0", "F|0"},
      {"OK", "\0"s, "b:0", "F|0"},
  };
  return cases;
}

std::string Padded(const TdfDBFFields& f, const std::string& raw) {
  std::string out = raw.substr(0, static_cast<size_t>(f.width));
  const std::string blanks(static_cast<size_t>(f.width) - out.size(), ' ');
  return f.type == 'N' || f.type == 'F' ? blanks + out : out + blanks;
}

// Bytes outside printable ASCII as \xNN, so that the table above reads plainly.
std::string Escaped(const std::string& s) {
  std::string o;
  for (unsigned char c : s) {
    if (c < 32 || c > 126 || c == '"') {
      char b[8];
      std::snprintf(b, sizeof b, "\\x%02x", c);
      o += b;
    } else {
      o += static_cast<char>(c);
    }
  }
  return o;
}

std::string Number(double v) {
  char text[64];
  std::snprintf(text, sizeof text, "%.17g", v);
  return text;
}

// How the dataset hands a field out: a value of its own, the same with the
// text as a view into the record, or the whole record's views at once.
enum class Road { kValue, kView, kRecordViews };

template <typename Value>
std::string ValueText(const Value& v, TDbfFieldType type) {
  if (v.isNull) return "null";
  switch (type) {
    case TDbfFieldType::kString:
      return "s:" + std::string(v.text);
    case TDbfFieldType::kSmallInt:
    case TDbfFieldType::kInteger:
    case TDbfFieldType::kLargeInt:
      return "i:" + std::to_string(v.integer);
    case TDbfFieldType::kFloat:
      return "f:" + Number(v.number);
    case TDbfFieldType::kDate:
      return "d:" + std::to_string(v.day);
    case TDbfFieldType::kBoolean:
      return std::string("b:") + (v.boolean ? "1" : "0");
    default:
      return "?";
  }
}

std::string DatasetValue(TDbfDataSet& ds, const TDbfFieldDef& def, Road road) {
  try {
    switch (road) {
      case Road::kValue:
        return ValueText(ds.GetFieldData(def.fieldNo), def.type);
      case Road::kView: {
        TDbfFieldView v;
        ds.GetFieldView(def.fieldNo, v);
        return ValueText(v, def.type);
      }
      case Road::kRecordViews: {
        std::vector<TDbfFieldView> views;
        ds.GetRecordViews(views);
        return ValueText(views.at(static_cast<size_t>(def.fieldNo - 1)), def.type);
      }
    }
  } catch (const EDbfError&) {
    return "error";
  }
  return "?";
}

std::string HandlerValue(DFO_dBHandler& t, const TdfDBFFields& f) {
  std::string out;
  try {
    out = t.FieldText(f.number) + "|";
    // The view of a text field is its text, without the copy.
    if (f.type == 'C' && t.FieldView(f.number) != t.FieldText(f.number)) out += "view differs|";
    switch (f.type) {
      case 'N':
      case 'F':
        out += Number(t.GetNumeric(f.number));
        break;
      case 'D':
        out += std::to_string(t.GetDate(f.number));
        break;
      case 'L':
        out += t.GetLogical(f.number) ? "1" : "0";
        break;
    }
  } catch (const EDbfError&) {
    out += "error";
  }
  return out;
}

}  // namespace

TEST(DbfFieldValues, AwkwardBytesReadAsBefore) {
  ScratchFolder dir;
  const std::string path = dir / "awkward.dbf";
  {
    DFO_DBFBuild b(path);
    for (const Shape& s : kShapes) b.AddField(s.name, s.type, s.width, s.decimals);
    b.WriteFiles();
  }
  {
    DFO_dBHandler t(path, false, true, "");
    for (const Case& c : Cases()) {
      t.BlankRecord();
      const TdfDBFFields& f = t.FieldByName(c.field);
      const std::string raw = Padded(f, c.raw);
      std::memcpy(t.RecordBuffer() + f.offset, raw.data(), raw.size());
      t.Append();
    }
  }
  // The handler, reading through its read buffer.
  {
    DFO_dBHandler t(path, true, false, "");
    t.UseRecordBuffer(true);
    t.GoTo(kMoveFirst);
    for (const Case& c : Cases()) {
      ASSERT_FALSE(t.Eof());
      EXPECT_EQ(Escaped(HandlerValue(t, t.FieldByName(c.field))), c.handler)
          << c.field << " " << c.raw;
      t.GoTo(kMoveNext);
    }
  }
  // The dataset, exclusive (through the read buffer) and shared, with each
  // typing of wide whole numbers: as floats they read as the handler's number.
  for (TdfIntFields wide :
       {TdfIntFields::asInteger, TdfIntFields::asLargeInt, TdfIntFields::asFloat}) {
    for (bool exclusive : {true, false}) {
      TDbfDataSet ds;
      ds.SetDatabaseName(dir.Path().string());
      ds.SetTableName("awkward.dbf");
      ds.SetExclusive(exclusive);
      ds.SetLargeIntegerAs(wide);
      ds.Open();
      const std::vector<TDbfFieldDef> defs = ds.FieldDefs();
      for (const Case& c : Cases()) {
        ASSERT_FALSE(ds.Eof());
        const TdfDBFFields& f = ds.Table()->FieldByName(c.field);
        std::string expected = c.dataset;
        if (wide == TdfIntFields::asFloat && std::string(c.field) == "BIG") {
          const std::string number = c.handler.substr(c.handler.find('|') + 1);
          expected = number == "error" ? number : "f:" + number;
        }
        for (Road road : {Road::kValue, Road::kView, Road::kRecordViews}) {
          EXPECT_EQ(Escaped(DatasetValue(ds, defs[static_cast<size_t>(f.number - 1)], road)),
                    expected)
              << c.field << " " << c.raw << " exclusive " << exclusive << " road "
              << static_cast<int>(road);
        }
        ds.Next();
      }
    }
  }
}
