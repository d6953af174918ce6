' A script client of the ZorTabbedList control: creates it by ProgID, feeds it a small
' catalogue and reads it back. Run it with cscript on a machine where the control is
' registered:   cscript //nologo catalogue_client.vbs
' Every check is counted; the last line says whether all of them held.
Option Explicit
On Error Resume Next

Const EXPECTED_CHECKS = 14
Dim checks, failures
checks = 0
failures = 0

Sub Same(actual, expected, what)
  checks = checks + 1
  If Err.Number <> 0 Then
    WScript.Echo "FAIL " & what & ": error 0x" & Hex(Err.Number) & " " & Err.Description
    failures = failures + 1
    Err.Clear
  ElseIf actual <> expected Then
    WScript.Echo "FAIL " & what & ": got [" & actual & "], expected [" & expected & "]"
    failures = failures + 1
  End If
End Sub

Dim tl
Set tl = CreateObject("ZorTabList.ZorTabbedList")
Same IsObject(tl), True, "CreateObject"

' One record a line: the same syntax as the page's CL0 .. CLn parameters.
tl.AddItemList "TAB:Books,TABPIC:20,TEXT:Fiction,ID:fic,PIC:0,OPIC:1,BOLD:1" & vbCrLf & _
               "TAB:Books,TEXT:Novels,ID:nov,PARENT:fic,PIC:20,OPIC:21,TAG:long stories" & vbCrLf & _
               "TAB:Books,TEXT:Out of print,ID:oop,PARENT:fic,PIC:2,ENABLE:0,OVERLAY:1" & vbCrLf & _
               "TAB:Music,TEXT:Jazz,ID:jazz,PIC:52,OVERLAY:2"
Same tl.TabCount, 2, "TabCount"
Same tl.ItemCount, 4, "ItemCount"
Same tl.TabExists("Music"), 1, "TabExists"
Same tl.TabPic("Books"), 20, "TabPic"
Same tl.Text("nov"), "Novels", "Text"
Same tl.Parent("nov"), "fic", "Parent"
Same tl.Level("nov"), 1, "Level below the parent"
Same tl.Opic("nov"), 21, "open picture"
Same tl.Tag("nov"), "long stories", "Tag"
Same tl.ItemEnabled("oop"), False, "disabled item"
Same tl.OverlayPic("jazz"), 2, "overlay"

' Walk the children of Fiction.
Dim id, names
names = ""
id = tl.GetFirstChild("fic")
Do While id <> "" And Len(names) < 200
  names = names & id & " "
  id = tl.GetNextChild(id)
Loop
Same names, "nov oop ", "children of fic"

tl.DeleteAll
Same tl.ItemCount, 0, "ItemCount after DeleteAll"

If failures = 0 And checks = EXPECTED_CHECKS Then
  WScript.Echo "all " & checks & " checks passed"
  WScript.Quit 0
End If
WScript.Echo "FAIL " & failures & " of " & checks & " checks failed, " & EXPECTED_CHECKS & " expected"
WScript.Quit 1
