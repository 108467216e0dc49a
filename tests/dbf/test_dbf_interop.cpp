// Interoperability with independent xBase implementations: python3-dbf for
// dBase III, FoxPro and Visual FoxPro, and Perl's XBase for dBase IV, which
// python3-dbf does not know. Tables they write (with memos) read here with
// equal values, and tables written here (with memos) read there with equal
// values, over every field type of each version.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "bytes/code_pages.h"
#include "dbf/date_values.h"
#include "dbf/table_builder.h"
#include "dbf/table_handler.h"
#include "dbf_test_support.h"

using namespace kelmo::dbf;
using namespace kelmo::bytes;
using kelmo::dbf::testing::ScratchFolder;

namespace {

const char* kPython = "/usr/bin/python3";

bool PeerAvailable() {
  return std::system((std::string(kPython) + " -c 'import dbf' >/dev/null 2>&1").c_str()) == 0 &&
         std::system("perl -MXBase -e 1 >/dev/null 2>&1") == 0;
}

// Runs a script with a peer (python or perl); answers its standard output.
std::string RunPeer(const ScratchFolder& dir, const std::string& script,
                    const std::string& interpreter = std::string(kPython) + " -W ignore") {
  const std::string file = dir / "peer.script";
  std::ofstream(file) << script;
  const std::string out = dir / "peer.out";
  const std::string cmd = "cd " + dir.Path().string() + " && " + interpreter + " " + file + " > " +
                          out + " 2>" + (dir / "peer.err");
  int rc = std::system(cmd.c_str());
  std::ifstream in(out);
  std::stringstream ss;
  ss << in.rdbuf();
  if (rc != 0) {
    std::ifstream err(dir / "peer.err");
    std::stringstream es;
    es << err.rdbuf();
    ADD_FAILURE() << "peer failed: " << es.str();
  }
  return ss.str();
}

int32_t Julian(int y, int m, int d) {
  int32_t day = 0;
  TdfDBFDate::EncodeJulian(y, m, d, day);
  return day;
}

std::string Cp1251(const std::string& utf8) {
  return EncodeFromUtf8(utf8, CodePage::Cp1251);
}
std::string Utf8(const std::string& cp1251) {
  return DecodeToUtf8(cp1251, CodePage::Cp1251);
}

}  // namespace

TEST(DbfInterop, TablesWrittenByThePeerReadHere) {
  if (!PeerAvailable()) GTEST_SKIP() << "python3-dbf or Perl XBase is not installed";
  ScratchFolder dir;
  RunPeer(dir, R"(
import dbf, datetime
layouts = {
  'db3': 'name C(12); qty N(6,0); price N(10,2); born D; ok L; note M',
  'fp':  'name C(12); qty N(6,0); price F(10,2); born D; ok L; note M',
  'vfp': 'name C(12); qty I; price B; cash Y; born D; at T; ok L; note M',
}
for kind, layout in layouts.items():
    t = dbf.Table(kind + '.dbf', layout, dbf_type=kind, codepage='cp1251')
    t.open(dbf.READ_WRITE)
    if kind == 'vfp':
        t.append(('Иванов', 5, 12.5, 1234.5, datetime.date(2012, 1, 31),
                  datetime.datetime(2012, 1, 31, 10, 20, 30), True, 'заметка ' * 100))
        t.append(('ABC', -3, 0.25, 0, None, None, False, ''))
    else:
        t.append(('Иванов', 5, 12.5, datetime.date(2012, 1, 31), True, 'заметка ' * 100))
        t.append(('ABC', -3, 0.25, None, False, ''))
    t.close()
)");
  // Perl's XBase marks its dBase IV tables 0x84; the version byte becomes the
  // standard 0x8B, the rest of the table and its memo file are the peer's.
  RunPeer(dir, R"(
use XBase;
my $t = XBase->create(name => 'db4.dbf', version => 4,
  field_names => ['NAME', 'QTY', 'PRICE', 'BORN', 'OK', 'NOTE'],
  field_types => ['C', 'N', 'F', 'D', 'L', 'M'],
  field_lengths => [12, 6, 10, 8, 1, 10], field_decimals => [0, 0, 2, 0, 0, 0]) or die XBase->errstr;
$t->set_record(0, "\xC8\xE2\xE0\xED\xEE\xE2", 5, 12.5, '20120131', 'T', "\xE7\xE0\xEC\xE5\xF2\xEA\xE0 " x 100) or die;
$t->set_record(1, 'ABC', -3, 0.25, '', 0, '') or die;
$t->close;
open(my $f, '+<', 'db4.dbf') or die; binmode $f; print $f "\x8B"; close $f;
)",
          "perl");
  const std::string longMemo = [] {
    std::string s;
    for (int i = 0; i < 100; ++i) s += "заметка ";
    return s;
  }();
  for (const char* kind : {"db3", "db4", "fp", "vfp"}) {
    SCOPED_TRACE(kind);
    DFO_dBHandler t(dir / (std::string(kind) + ".dbf"), false, false, "");
    ASSERT_EQ(t.RecordCount(), 2);
    const bool vfp = std::string(kind) == "vfp";
    const std::string k = kind;
    EXPECT_EQ(t.Version(), vfp ? 0x30 : (k == "db3" ? 0x83 : (k == "db4" ? 0x8B : 0xF5)));
    t.GoTo(1);
    EXPECT_EQ(Utf8(t.FieldTextByName("name")), "Иванов");
    EXPECT_EQ(t.GetNumericByName("qty"), 5);
    EXPECT_DOUBLE_EQ(t.GetNumericByName("price"), 12.5);
    EXPECT_EQ(t.GetDateByName("born"), Julian(2012, 1, 31));
    EXPECT_TRUE(t.GetLogicalByName("ok"));
    EXPECT_TRUE(Utf8(t.FieldTextByName("note")) == longMemo) << t.FieldTextByName("note").size();
    EXPECT_EQ(t.MemoSize(t.FieldNumber("note")), 800);
    if (vfp) {
      EXPECT_DOUBLE_EQ(t.GetNumeric(t.FieldNumber("cash")), 1234.5);
      const double ms = (static_cast<double>(Julian(2012, 1, 31)) - 1721425) * 86400000.0 +
                        ((10 * 60 + 20) * 60 + 30) * 1000.0;
      EXPECT_DOUBLE_EQ(t.GetNumeric(t.FieldNumber("at")), ms);
    }
    t.GoTo(2);
    EXPECT_EQ(t.FieldTextByName("name"), "ABC");
    EXPECT_EQ(t.GetNumericByName("qty"), -3);
    EXPECT_DOUBLE_EQ(t.GetNumericByName("price"), 0.25);
    EXPECT_EQ(t.GetDateByName("born"), 0);
    EXPECT_FALSE(t.GetLogicalByName("ok"));
    EXPECT_EQ(t.FieldTextByName("note"), "");
  }
}

TEST(DbfInterop, TablesWrittenHereReadByThePeer) {
  if (!PeerAvailable()) GTEST_SKIP() << "python3-dbf or Perl XBase is not installed";
  ScratchFolder dir;
  const std::string longMemo(1500, 'z');
  for (int kind = 0; kind < 3; ++kind) {
    const std::string path = dir / ("ours" + std::to_string(kind) + ".dbf");
    {
      std::unique_ptr<DFO_DBFBuild> b;
      if (kind == 0) b = std::make_unique<DFO_DBFBuild>(path);
      if (kind == 1) b = std::make_unique<DFO_DB4Build>(path);
      if (kind == 2) b = std::make_unique<DFO_DBFoxBuild>(path);
      b->SetLanguageByte(0xC9);
      b->AddField("name", 'C', 12, 0);
      b->AddField("qty", 'N', 6, 0);
      b->AddField("price", 'N', 10, 2);
      b->AddField("rate", 'F', 12, 4);
      b->AddField("born", 'D', 8, 0);
      b->AddField("ok", 'L', 1, 0);
      b->AddField("note", 'M', 10, 0);
      b->WriteFiles();
    }
    DFO_dBHandler t(path, false, true, "");
    t.BlankRecord();
    t.PutFieldTextByName("name", Cp1251("Иванов"));
    t.PutNumericByName("qty", 5);
    t.PutNumericByName("price", 12.5);
    t.PutNumericByName("rate", -0.125);
    t.PutDateByName("born", Julian(2012, 1, 31));
    t.PutLogicalByName("ok", true);
    t.PutFieldTextByName("note", Cp1251("заметка"));
    t.Append();
    t.BlankRecord();
    t.PutFieldTextByName("name", "ABC");
    t.PutNumericByName("qty", -3);
    t.PutFieldTextByName("note", longMemo);
    t.Append();
    // A replaced memo and a deleted record, as the reception leaves them.
    t.GoTo(1);
    t.PutFieldTextByName("note", Cp1251("заметка вторая"));
    t.WriteRecord(1);
    t.BlankRecord();
    t.PutFieldTextByName("name", "GONE");
    t.Append();
    t.DeleteRecord();
  }
  std::string out = RunPeer(dir, R"(
import dbf
for kind in (0, 2):
    t = dbf.Table('ours%d.dbf' % kind)
    t.open()
    print('version', kind, t.version)
    for r in t:
        vals = [str(dbf.is_deleted(r))]
        for f in ('name', 'qty', 'price', 'rate', 'born', 'ok', 'note'):
            v = r[f]
            vals.append(v.strip() if isinstance(v, str) else str(v))
        print('|'.join(vals) if len(vals[-1]) < 100 else '|'.join(vals[:-1] + ['memo%d' % len(vals[-1])]))
    t.close()
)");
  std::string expected;
  const char* versions[] = {"dBase III Plus", "", "Foxpro"};
  for (int kind : {0, 2}) {
    expected += "version " + std::to_string(kind) + " " + versions[kind] + "\n";
    expected += "False|Иванов|5|12.5|-0.125|2012-01-31|True|заметка вторая\n";
    // A blank logical field is "unknown" to the peer.
    expected += "False|ABC|-3|0.0|0.0|None|None|memo1500\n";
    expected += "True|GONE|0|0.0|0.0|None|None|\n";
  }
  EXPECT_EQ(out, expected);
  out = RunPeer(dir, R"(
use XBase;
my $t = XBase->new('ours1.dbf') or die XBase->errstr;
print 'version ', $t->version, "\n";
for my $i (0 .. $t->last_record) {
  my @r = $t->get_record($i);
  my $note = $r[7];
  $r[7] = length($note) > 100 ? 'memo' . length($note) : $note;
  print join('|', map { defined $_ ? $_ : 'undef' } @r), "\n";
}
)",
                "perl");
  const std::string name = Cp1251("Иванов"), note = Cp1251("заметка вторая");
  EXPECT_EQ(out,
            "version 139\n"
            "0|" +
                name + "|5|12.5|-0.125|20120131|1|" + note +
                "\n"
                "0|ABC|-3|0|0|undef|undef|memo1500\n"
                "1|GONE|0|0|0|undef|undef|undef\n");
}

// The peer's tables, a record deleted and packed here, read back by the peer:
// the memo files written anew by the pack included.
TEST(DbfInterop, PeerTablesPackedHereReadByThePeer) {
  if (!PeerAvailable()) GTEST_SKIP() << "python3-dbf or Perl XBase is not installed";
  ScratchFolder dir;
  RunPeer(dir, R"(
import dbf, datetime
layouts = {
  'db3': 'name C(12); qty N(6,0); note M',
  'fp':  'name C(12); price F(10,2); note M',
  'vfp': 'name C(12); qty I; price B; cash Y; at T; note M',
}
for kind, layout in layouts.items():
    t = dbf.Table(kind + '.dbf', layout, dbf_type=kind, codepage='cp1251')
    t.open(dbf.READ_WRITE)
    for i in range(1, 5):
        if kind == 'vfp':
            t.append(('N%d' % i, i, i + 0.5, i * 100, datetime.datetime(2012, 1, i, 10, 0, 0), 'memo %d ' % i * 50))
        elif kind == 'fp':
            t.append(('N%d' % i, i + 0.5, 'memo %d ' % i * 50))
        else:
            t.append(('N%d' % i, i, 'memo %d ' % i * 50))
    t.close()
)");
  for (const char* kind : {"db3", "fp", "vfp"}) {
    DFO_dBHandler t(dir / (std::string(kind) + ".dbf"), false, true, "");
    t.GoTo(2);
    t.DeleteRecord();
    t.Pack();
    EXPECT_EQ(t.RecordCount(), 3) << kind;
  }
  const std::string out = RunPeer(dir, R"(
import dbf
for kind in ('db3', 'fp', 'vfp'):
    t = dbf.Table(kind + '.dbf')
    t.open()
    for r in t:
        vals = [kind] + [v.strip() if isinstance(v, str) else str(v) for v in r]
        vals[-1] = vals[-1][:6] + '/%d' % len(vals[-1])
        print('|'.join(vals))
    t.close()
)");
  EXPECT_EQ(out,
            "db3|N1|1|memo 1/349\n"
            "db3|N3|3|memo 3/349\n"
            "db3|N4|4|memo 4/349\n"
            "fp|N1|1.5|memo 1/349\n"
            "fp|N3|3.5|memo 3/349\n"
            "fp|N4|4.5|memo 4/349\n"
            "vfp|N1|1|1.5|100.0000|2012-01-01 10:00:00|memo 1/349\n"
            "vfp|N3|3|3.5|300.0000|2012-01-03 10:00:00|memo 3/349\n"
            "vfp|N4|4|4.5|400.0000|2012-01-04 10:00:00|memo 4/349\n");
}

// A copy keeps each record's deletion mark whatever the visibility setting,
// and the peer sees the same live and deleted records in it.
TEST(DbfInterop, CopyKeepsDeletionMarks) {
  if (!PeerAvailable()) GTEST_SKIP() << "python3-dbf or Perl XBase is not installed";
  ScratchFolder dir;
  const std::string path = dir / "src.dbf";
  {
    DFO_DBFBuild b(path);
    b.AddField("n", 'N', 5, 0);
    b.AddField("note", 'M', 10, 0);
    b.WriteFiles();
  }
  {
    DFO_dBHandler t(path, false, true, "");
    for (int i = 1; i <= 200; ++i) {
      t.BlankRecord();
      t.PutNumericByName("n", i);
      t.PutFieldTextByName("note", i % 3 == 0 ? "memo " + std::to_string(i) : "");
      t.Append();
      if (i % 22 == 0) t.DeleteRecord();
    }
    ASSERT_TRUE(t.UseDeleted());
    t.CopyFile(dir / "visible.dbf", "");
    t.SetUseDeleted(false);
    t.CopyFile(dir / "live.dbf", "");
  }
  const std::string out = RunPeer(dir, R"(
import dbf
for name in ('visible', 'live'):
    t = dbf.Table(name + '.dbf')
    t.open()
    dead = [int(r['n']) for r in t if dbf.is_deleted(r)]
    memos = sum(1 for r in t if r['note'].strip())
    print(name, len(t), dead, memos)
    t.close()
)");
  EXPECT_EQ(out,
            "visible 200 [22, 44, 66, 88, 110, 132, 154, 176, 198] 66\n"
            "live 191 [] 63\n");
}

// Empty memos are stored as blank pointers, on every way of writing them, and
// the peer reads those records; a pointer written as "0" by another program
// still reads as no memo.
TEST(DbfInterop, EmptyMemoPointersAreBlank) {
  if (!PeerAvailable()) GTEST_SKIP() << "python3-dbf or Perl XBase is not installed";
  ScratchFolder dir;
  for (int kind = 0; kind < 2; ++kind) {
    const std::string path = dir / ("m" + std::to_string(kind) + ".dbf");
    {
      std::unique_ptr<DFO_DBFBuild> b;
      if (kind == 0) b = std::make_unique<DFO_DBFBuild>(path);
      if (kind == 1) b = std::make_unique<DFO_DBFoxBuild>(path);
      b->AddField("n", 'N', 3, 0);
      b->AddField("note", 'M', 10, 0);
      b->WriteFiles();
    }
    DFO_dBHandler t(path, false, true, "");
    const int note = t.FieldNumber("note");
    t.BlankRecord();
    t.PutNumericByName("n", 1);
    t.PutFieldTextByName("note", "");  // inserted empty
    t.Append();
    t.BlankRecord();
    t.PutNumericByName("n", 2);
    t.PutFieldTextByName("note", "text");
    t.Append();
    t.PutFieldTextByName("note", "");  // updated to empty
    t.WriteRecord(2);
    t.BlankRecord();
    t.PutNumericByName("n", 3);
    t.PutFieldRaw(note, "         0");  // as another program wrote it
    t.Append();
    EXPECT_EQ(t.MemoBlockOf(note), 0);
    EXPECT_EQ(t.FieldText(note), "");
    t.BlankRecord();
    t.PutNumericByName("n", 4);
    t.Append();
    t.DeleteRecord();
    t.Pack();
    ASSERT_EQ(t.RecordCount(), 3);
    for (int r = 1; r <= 3; ++r) {
      t.GoTo(r);
      EXPECT_EQ(t.GetFieldRaw(note), std::string(10, ' ')) << kind << " record " << r;
    }
  }
  const std::string out = RunPeer(dir, R"(
import dbf
for name in ('m0', 'm1'):
    t = dbf.Table(name + '.dbf')
    t.open()
    print(name, [(int(r['n']), r['note'].strip()) for r in t])
    t.close()
)");
  EXPECT_EQ(out, "m0 [(1, ''), (2, ''), (3, '')]\nm1 [(1, ''), (2, ''), (3, '')]\n");
}
