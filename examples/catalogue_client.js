// A JScript client of the ZorTabbedList control: creates it by ProgID, feeds it records one
// by one and walks what it holds. Run it with cscript where the control is registered:
//   cscript //nologo catalogue_client.js
// Every check is counted; the last line says whether all of them held.
var EXPECTED_CHECKS = 9;
var checks = 0;
var failures = 0;

function same(actual, expected, what) {
  checks++;
  if (actual !== expected) {
    WScript.Echo("FAIL " + what + ": got [" + actual + "], expected [" + expected + "]");
    failures++;
  }
}

try {
  var tl = new ActiveXObject("ZorTabList.ZorTabbedList");
  same(typeof tl, "object", "new ActiveXObject");

  tl.AddItem("TAB:Office,TABPIC:10,TEXT:Servers,ID:srv,PIC:11,EXPAND:1");
  // LEVEL without PARENT: the parent is the latest item one level up in the same tab.
  tl.AddItem("TAB:Office,TEXT:Mail,ID:mail,LEVEL:1,PIC:22");
  tl.AddItem("TAB:Office,TEXT:Printers,ID:prn,LEVEL:1,PIC:48,OVERLAY:6");
  tl.AddItem("TAB:Office,TEXT:Phones,ID:tel,PIC:49,HASCHILDREN:1");
  same(tl.ItemCount, 4, "ItemCount");
  same(tl.Parent("prn"), "srv", "parent from the level");
  same(tl.Level("prn"), 1, "Level");
  same(tl.Cpic("tel"), 49, "closed picture");
  same(tl.Opic("tel"), 49, "PIC sets the open picture too");

  // Every item in the order it was added.
  var ids = [];
  // GetFirstItem and GetNextItem are properties: read without parentheses.
  for (var id = tl.GetFirstItem; id !== "" && ids.length < 10; id = tl.GetNextItem) ids.push(id);
  same(ids.join(" "), "srv mail prn tel", "item walk");

  tl.DeleteItem("mail");
  same(tl.ItemExists("mail"), 0, "DeleteItem");
  same(tl.ItemCount, 3, "ItemCount after DeleteItem");
} catch (e) {
  checks++;
  failures++;
  WScript.Echo("FAIL error 0x" + (e.number >>> 0).toString(16) + " " + e.message);
}

if (failures === 0 && checks === EXPECTED_CHECKS) {
  WScript.Echo("all " + checks + " checks passed");
  WScript.Quit(0);
}
WScript.Echo("FAIL " + failures + " of " + checks + " checks failed, " + EXPECTED_CHECKS + " expected");
WScript.Quit(1);
