' A page-style script client: creates the control late-bound, feeds it records and
' prints what it holds, the way a host would read it back.
Option Explicit
Dim tl, id, line, indent, i
Set tl = CreateObject("ZorTabList.ZorTabbedList")

tl.AddItemList "TAB:Documents,TEXT:Reports,ID:rep,PIC:1" & vbCrLf & _
               "TAB:Documents,TEXT:2026,ID:r26,PARENT:rep" & vbCrLf & _
               "TAB:Documents,TEXT:Annual report,ID:ann,PARENT:r26,HREF:annual.html" & vbCrLf & _
               "TAB:Documents,TEXT:Letters,ID:let" & vbCrLf & _
               "TAB:People,TEXT:Team,ID:team,BOLD:1" & vbCrLf & _
               "TAB:People,TEXT:Ada,ID:ada,PARENT:team,OVERLAY:2" & vbCrLf & _
               "TAB:People,TEXT:Linus,ID:lin,PARENT:team"
tl.AddItem "tab=Links,text=Home page,id=home,href=index.html,frame=main"

WScript.Echo "ZorTabbedList demo: " & tl.TabCount & " tabs, " & tl.ItemCount & " items"
WScript.Echo ""
id = tl.GetFirstItem
Do While id <> ""
  indent = ""
  For i = 1 To tl.Level(id)
    indent = indent & "    "
  Next
  line = indent & tl.Text(id) & "  [" & tl.Tab(id) & "]"
  If tl.Href(id) <> "" Then line = line & "  -> " & tl.Href(id)
  WScript.Echo line
  id = tl.GetNextItem
Loop
WScript.Echo ""
WScript.Echo "Children of team:"
id = tl.GetFirstChild("team")
Do While id <> ""
  WScript.Echo "    " & tl.Text(id) & " (overlay " & tl.OverlayPic(id) & ")"
  id = tl.GetNextChild(id)
Loop
WScript.Echo ""
WScript.Echo "Record of ann: " & tl.ItemString("ann")
tl.DeleteItem "rep"
WScript.Echo "After DeleteItem rep: " & tl.ItemCount & " items"
