' A start menu as a user might have it, made of the programs every Wine prefix has: the demo runs
' it with cscript inside its Wine prefix. Chr(246) is the o with diaeresis of "Zubehoer".
Set shell = CreateObject("WScript.Shell")
Set files = CreateObject("Scripting.FileSystemObject")
system = Expanded("%SystemRoot%\system32\")
' The Programs folders of the user and of all users, where Windows 7 has them (Wine's scripting
' host does not name them).
user = Expanded("%APPDATA%\Microsoft\Windows\Start Menu\Programs")
common = Expanded("%ProgramData%\Microsoft\Windows\Start Menu\Programs")
accessories = "Zubeh" & Chr(246) & "r"
entries = Array( _
    common, accessories & "\Editor", "notepad.exe", _
    common, accessories & "\WordPad", "wordpad.exe", _
    common, accessories & "\Eingabeaufforderung", "cmd.exe", _
    common, accessories & "\Systemprogramme\Task-Manager", "taskmgr.exe", _
    common, accessories & "\Systemprogramme\Registrierungs-Editor", "regedit.exe", _
    user, "Spiele\Minesweeper", "winemine.exe", _
    user, "Wine-Konfiguration", "winecfg.exe", _
    user, "Internet Explorer", "iexplore.exe")
For i = 0 To UBound(entries) Step 3
    path = entries(i) & "\" & entries(i + 1) & ".lnk"
    MakeFolder files.GetParentFolderName(path)
    Set link = shell.CreateShortcut(path)
    link.TargetPath = system & entries(i + 2)
    link.Save
Next

' Wine's scripting host ends the expanded text with a NUL character.
Function Expanded(text)
    Expanded = Replace(shell.ExpandEnvironmentStrings(text), Chr(0), "")
End Function

Sub MakeFolder(folder)
    If Not files.FolderExists(folder) Then
        MakeFolder files.GetParentFolderName(folder)
        files.CreateFolder folder
    End If
End Sub
