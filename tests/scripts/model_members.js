// Drives the registered control late-bound from JScript: records, indexed gets, walks and
// the child walk whose success code is the child's sequence number. Every check is counted;
// the run passes only when all expected checks ran and held.
var EXPECTED_CHECKS = 16;
var checks = 0;
var failures = 0;

function same(actual, expected, what) {
  checks++;
  if (actual !== expected) {
    WScript.Echo("FAIL " + what + ": got [" + actual + "], expected [" + expected + "]");
    failures++;
  }
}

function attempt(what, body) {
  try {
    body();
  } catch (e) {
    checks++;
    failures++;
    WScript.Echo("FAIL " + what + ": error 0x" + (e.number >>> 0).toString(16) + " " + e.message);
  }
}

var tl = null;
attempt("CreateObject", function () {
  tl = new ActiveXObject("ZorTabList.ZorTabbedList");
});

if (tl !== null) {
  attempt("records", function () {
    tl.AddItem("TAB:Main,TEXT:Root,ID:r");
    tl.AddItemList("TAB:Main,TEXT:One,ID:r1,PARENT:r\r\nTAB:Main,TEXT:Two,ID:r2,PARENT:r\r\n" +
                   "TAB:Other,TEXT:Else,ID:e");
    same(tl.ItemCount, 4, "ItemCount");
    same(tl.TabCount, 2, "TabCount");
    same(tl.Text("r2"), "Two", "Text");
    same(tl.Parent("r1"), "r", "Parent");
    same(tl.ItemExists("e"), 1, "ItemExists");
  });
  attempt("walks", function () {
    var ids = [];
    for (var id = tl.GetFirstItem; id !== "" && ids.length < 100; id = tl.GetNextItem) ids.push(id);
    same(ids.join(" "), "r r1 r2 e", "item walk");
    // The child walk answers a positive success code; the call must still succeed.
    same(tl.GetFirstChild("r"), "r1", "GetFirstChild");
    same(tl.GetNextChild("r1"), "r2", "GetNextChild");
    same(tl.GetNextChild("r2"), "", "GetNextChild past the end");
  });
  attempt("properties", function () {
    same(tl.Delimiter, 44, "Delimiter default");
    same(tl.Enabled, true, "Enabled default");
    same(tl.TabStyle, 4, "TabStyle default");
    tl.TabRows = 2;
    same(tl.TabRows, 2, "TabRows put");
    same(tl.CL0, "", "CL0 reads back empty");
  });
  attempt("deletion", function () {
    tl.DeleteItem("r2");
    same(tl.ItemExists("r2"), 0, "DeleteItem");
    tl.DeleteAll();
    same(tl.ItemCount, 0, "DeleteAll");
  });
  tl = null;
}

if (failures === 0 && checks === EXPECTED_CHECKS) {
  WScript.Echo("all " + checks + " checks passed");
  WScript.Quit(0);
}
WScript.Echo("FAIL " + failures + " of " + checks + " checks failed, " + EXPECTED_CHECKS +
             " expected");
WScript.Quit(1);
