; Asks a running Tarnwick to exit the way its tray menu's Exit does, and waits for its
; process to end, so that its files can be replaced or removed. Exit lets a cycle
; leave between two files; the program is never killed, as that could leave an upload
; or a download half done.
;
; !insertmacro RUNNING_COPY_FUNCTIONS "" and "un." define StopRunningCopy for the
; installer and un.StopRunningCopy for the uninstaller. Each sets $StoppedRunningCopy
; to 1 when it ended a running copy; it aborts when the copy is still running after
; the wait and the user does not want to wait once more (silent: at once).

!include LogicLib.nsh
!include WinMessages.nsh

!define FRAME_CLASS "TarnwickFrame"
!define FRAME_TITLE "Dravos Upload Ulkin"
; The tray menu's Exit command, read from the program's resource header.
!searchparse /file "${RESOURCE_HEADER}" "#define ID_EXIT " EXIT_COMMAND
!define SYNCHRONIZE 0x00100000
!define WAIT_OBJECT_0 0
; A cycle leaves at its next step; a transfer under way may take this long to stop.
!define EXIT_WAIT_MS 60000
!define POLL_MS 250
!define STILL_RUNNING "Tarnwick has not exited yet. It may be finishing a transfer, or one of its \
messages may be waiting for an answer.$\r$\n$\r$\nChoose Retry to wait again, or Cancel to stop."

Var StoppedRunningCopy

!macro RUNNING_COPY_FUNCTIONS prefix
Function ${prefix}StopRunningCopy
  Push $0
  Push $1
  Push $2
  Push $3
  StrCpy $StoppedRunningCopy 0
  ${Do}
    FindWindow $0 "${FRAME_CLASS}" "${FRAME_TITLE}"
    ${If} $0 == 0
      ${ExitDo}
    ${EndIf}
    DetailPrint "Asking the running Tarnwick to exit..."
    StrCpy $1 0
    System::Call "user32::GetWindowThreadProcessId(p r0, *i .r1) i"
    System::Call "kernel32::OpenProcess(i ${SYNCHRONIZE}, i 0, i r1) p .r2"
    System::Call "user32::PostMessage(p r0, i ${WM_COMMAND}, p ${EXIT_COMMAND}, p 0) i"
    ${If} $2 <> 0
      System::Call "kernel32::WaitForSingleObject(p r2, i ${EXIT_WAIT_MS}) i .r3"
      System::Call "kernel32::CloseHandle(p r2)"
    ${Else}
      ; Without a handle on the process its window is the sign of life.
      StrCpy $3 0
      ${Do}
        Sleep ${POLL_MS}
        IntOp $3 $3 + ${POLL_MS}
        FindWindow $0 "${FRAME_CLASS}" "${FRAME_TITLE}"
        ${If} $0 == 0
          StrCpy $3 ${WAIT_OBJECT_0}
          ${ExitDo}
        ${EndIf}
      ${LoopUntil} $3 >= ${EXIT_WAIT_MS}
    ${EndIf}
    ${If} $3 == ${WAIT_OBJECT_0}
      StrCpy $StoppedRunningCopy 1
      DetailPrint "Tarnwick has exited."
      ${ExitDo}
    ${EndIf}
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "${STILL_RUNNING}" /SD IDCANCEL IDRETRY retry
    DetailPrint "Tarnwick did not exit; nothing was changed."
    Pop $3
    Pop $2
    Pop $1
    Pop $0
    Abort "Tarnwick is still running."
    retry:
  ${Loop}
  Pop $3
  Pop $2
  Pop $1
  Pop $0
FunctionEnd
!macroend
