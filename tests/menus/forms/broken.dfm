object Form1: TForm
  Caption = 'Broken'
  object PopupMenu1: TPopupMenu
    object Alpha1: TMenuItem
      Caption = 'Alpha
