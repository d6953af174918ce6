' Drives the registered control late-bound, the way a page script does, through the item
' members and the control-level defaults. Every check is counted; the run passes only when
' all expected checks ran and held (cscript ends silently with code 0 on an uncaught error,
' hence the error trapping and the final count).
Option Explicit

Const EXPECTED_CHECKS = 59
Dim checks, failures
checks = 0
failures = 0

Sub Check(ok, what)
  checks = checks + 1
  If Err.Number <> 0 Then
    WScript.Echo "FAIL " & what & ": error 0x" & Hex(Err.Number) & " " & Err.Description
    failures = failures + 1
    Err.Clear
  ElseIf Not ok Then
    WScript.Echo "FAIL " & what
    failures = failures + 1
  End If
End Sub

Sub Same(actual, expected, what)
  If Err.Number <> 0 Then
    Check False, what
  ElseIf actual <> expected Then
    Check False, what & ": got [" & actual & "], expected [" & expected & "]"
  Else
    Check True, what
  End If
End Sub

Function Walk(tl)
  Dim id, ids
  ids = ""
  id = tl.GetFirstItem
  Do While id <> "" And Len(ids) < 1000
    ids = ids & id & " "
    id = tl.GetNextItem
  Loop
  Walk = Trim(ids)
End Function

Function Children(tl, parent)
  Dim id, ids
  ids = ""
  id = tl.GetFirstChild(parent)
  Do While id <> "" And Len(ids) < 1000
    ids = ids & id & " "
    id = tl.GetNextChild(id)
  Loop
  Children = Trim(ids)
End Function

On Error Resume Next

Dim tl
Set tl = CreateObject("ZorTabList.ZorTabbedList")
If Err.Number <> 0 Then
  WScript.Echo "FAIL CreateObject: error 0x" & Hex(Err.Number) & " " & Err.Description
  WScript.Quit 2
End If
Check IsObject(tl), "CreateObject"
Check TypeName(tl) = "IZorTabbedList", "TypeName is " & TypeName(tl)

' Control-level defaults of a new control.
Same tl.Enabled, True, "Enabled default"
Same tl.TabStop, True, "TabStop default"
Same tl.MousePointer, 0, "MousePointer default"
Same tl.TabRows, 1, "TabRows default"
Same tl.MinTabWidth, -1, "MinTabWidth default"
Same tl.DisplayStyle, 0, "DisplayStyle default"
Same tl.TabStyle, 4, "TabStyle default"
Same tl.TreeStyle, 0, "TreeStyle default"
Same tl.Sorted, 0, "Sorted default"
Same tl.HilightSelectedTab, False, "HilightSelectedTab default"
Same tl.EnableToolTips, False, "EnableToolTips default"
Same tl.ToolTipDelay, 4000, "ToolTipDelay default"
Same tl.ToolTipText, "", "ToolTipText default"
Same tl.Delimiter, 44, "Delimiter default"
Same tl.SortCompare, 0, "SortCompare default"
Same tl.PictureCount, 55, "PictureCount"
Same tl.OverlayPictureCount, 8, "OverlayPictureCount"
Same tl.ReadyState, 0, "ReadyState before any window"
Same tl.ItemCount, 0, "ItemCount of a new control"
Same tl.TabCount, 0, "TabCount of a new control"

' Records one by one and as a list.
tl.AddItem "TAB:Main,TEXT:Hello,ID:h1"
tl.AddItem "TAB:Main,TEXT:World,ID:w1,PARENT:h1"
Same tl.ItemCount, 2, "ItemCount after AddItem"
Same tl.TabCount, 1, "TabCount after AddItem"
tl.AddItemList "TAB:Second,TEXT:A,ID:a1" & vbCrLf & "TAB:Second,TEXT:B,ID:b1,PARENT:a1" & _
    vbCrLf & "TAB:Second,TEXT:C,ID:c1,PARENT:a1"
Same tl.ItemCount, 5, "ItemCount after AddItemList"
Same tl.TabCount, 2, "TabCount after AddItemList"
Same tl.TabExists("Second"), 1, "TabExists"
Same tl.TabExists("second"), 0, "tab names compare exactly"
Same tl.ItemExists("b1"), 1, "ItemExists"
Same tl.ItemExists("nothing"), 0, "ItemExists of an unknown ID"

' Per-item properties, indexed by ID.
Same tl.Text("h1"), "Hello", "Text get"
tl.Text("h1") = "Hi there"
Same tl.Text("h1"), "Hi there", "Text put"
Same tl.Parent("w1"), "h1", "Parent"
Same tl.Tab("c1"), "Second", "Tab"
Same tl.Text("nothing"), "", "Text of an unknown ID"
tl.Tag("a1") = "free text"
Same tl.Tag("a1"), "free text", "Tag"

' The record text of an item reads back through AddItem.
Dim record
record = tl.ItemString("w1")
Check InStr(record, "TEXT:World") > 0 And InStr(record, "ID:w1") > 0, "ItemString " & record
tl.DeleteItem "w1"
Same tl.ItemExists("w1"), 0, "DeleteItem"
Same tl.ItemCount, 4, "ItemCount after DeleteItem"
tl.AddItem record
Same tl.Text("w1"), "World", "ItemString record added again"
Same tl.Parent("w1"), "h1", "ItemString keeps the parent"

' Walks over all items (creation order) and over the children of one item.
Same Walk(tl), "h1 a1 b1 c1 w1", "GetFirstItem/GetNextItem walk"
Same tl.GetFirstChild("a1"), "b1", "GetFirstChild"
Same tl.GetNextChild("b1"), "c1", "GetNextChild"
Same tl.GetNextChild("c1"), "", "GetNextChild past the last child"
Same Children(tl, "a1"), "b1 c1", "child walk"
Same tl.GetFirstChild("c1"), "", "GetFirstChild of a leaf"

' Another delimiter for the records that follow.
tl.Delimiter = 59
Same tl.Delimiter, 59, "Delimiter put"
tl.AddItem "TAB:Main;TEXT:Semi;ID:s1"
Same tl.Text("s1"), "Semi", "record with the new delimiter"
tl.Delimiter = 44

' The persisted item list: any CL index adds its record, and reads back empty.
tl.CL(3) = "TAB:Main,TEXT:From CL,ID:cl3"
Same tl.Text("cl3"), "From CL", "CL put with index"
Same tl.CL(3), "", "CL reads back empty"
tl.CL0 = "TAB:Main,TEXT:From CL0,ID:cl0"
Same tl.Text("cl0"), "From CL0", "CL0 put"
Same tl.CL0, "", "CL0 reads back empty"
Same tl.ItemCount, 8, "ItemCount after the CL records"

' Tabs and everything go.
tl.DeleteTab "Second"
Same tl.TabExists("Second"), 0, "DeleteTab"
Same tl.ItemExists("b1"), 0, "DeleteTab takes its items"
tl.DeleteAll
Same tl.ItemCount, 0, "ItemCount after DeleteAll"
Same tl.TabCount, 0, "TabCount after DeleteAll"

Set tl = Nothing
Check Err.Number = 0, "release"

If failures = 0 And checks = EXPECTED_CHECKS Then
  WScript.Echo "all " & checks & " checks passed"
  WScript.Quit 0
End If
WScript.Echo "FAIL " & failures & " of " & checks & " checks failed, " & EXPECTED_CHECKS & " expected"
WScript.Quit 1
