object VeskMenuBarForm: TVeskMenuBarForm
  Left = 245
  Top = 108
  BorderStyle = bsDialog
  Caption = 'MenuBar'
  ClientHeight = 214
  ClientWidth = 337
  Color = clBtnFace
  Font.Charset = DEFAULT_CHARSET
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'MS Sans Serif'
  Font.Style = []
  OldCreateOrder = True
  Position = poScreenCenter
  OnActivate = FormActivate
  OnCreate = FormCreate
  OnDestroy = FormDestroy
  PixelsPerInch = 96
  TextHeight = 13
  object Bevel1: TBevel
    Left = 8
    Top = 9
    Width = 320
    Height = 163
    Shape = bsFrame
  end
  object lbBackFrom: TLabel
    Left = 15
    Top = 23
    Width = 85
    Height = 13
    Caption = '"&BackFrom" Color'
  end
  object lbBackTo: TLabel
    Left = 15
    Top = 72
    Width = 75
    Height = 13
    Caption = '"Back&To" Color'
  end
  object lbFore: TLabel
    Left = 15
    Top = 118
    Width = 58
    Height = 13
    Caption = '"&Fore" Color'
  end
  object lbCaption: TLabel
    Left = 134
    Top = 23
    Width = 36
    Height = 13
    Caption = '&Caption'
    FocusControl = edtCaption
  end
  object lbSize: TLabel
    Left = 131
    Top = 72
    Width = 20
    Height = 13
    Caption = 'S&ize'
    FocusControl = edtSize
  end
  object lbSpace: TLabel
    Left = 187
    Top = 72
    Width = 31
    Height = 13
    Caption = 'S&pace'
    FocusControl = edtSpace
  end
  object lbCaptionAlign: TLabel
    Left = 243
    Top = 72
    Width = 59
    Height = 13
    Caption = 'Caption&Align'
    FocusControl = cmbAlign
  end
  object edtCaption: TEdit
    Left = 131
    Top = 40
    Width = 190
    Height = 21
    TabOrder = 0
  end
  object edtSize: TEdit
    Left = 131
    Top = 88
    Width = 49
    Height = 21
    TabOrder = 1
    OnEnter = edtSizeEnter
    OnExit = edtSizeExit
  end
  object edtSpace: TEdit
    Left = 187
    Top = 88
    Width = 49
    Height = 21
    TabOrder = 2
    OnEnter = edtSpaceEnter
    OnExit = edtSpaceExit
  end
  object cmbAlign: TComboBox
    Left = 243
    Top = 88
    Width = 77
    Height = 21
    Style = csDropDownList
    ItemHeight = 13
    Items.Strings = (
      'alDown'
      'alUp'
      'alCenter')
    TabOrder = 3
  end
  object cbIsGradient: TCheckBox
    Left = 131
    Top = 120
    Width = 97
    Height = 17
    Caption = 'Fill &gradiently'
    TabOrder = 4
  end
  object cbIsSerif: TCheckBox
    Left = 243
    Top = 120
    Width = 66
    Height = 17
    Caption = 'Se&rif font'
    TabOrder = 5
  end
  object cbIsSeparator: TCheckBox
    Left = 131
    Top = 144
    Width = 97
    Height = 17
    Caption = '&Use separator'
    TabOrder = 6
  end
  object OKBtn: TButton
    Left = 170
    Top = 184
    Width = 75
    Height = 25
    Caption = 'OK'
    Default = True
    ModalResult = 1
    TabOrder = 7
    OnClick = OKBtnClick
  end
  object CancelBtn: TButton
    Left = 250
    Top = 184
    Width = 75
    Height = 25
    Cancel = True
    Caption = 'Cancel'
    ModalResult = 2
    TabOrder = 8
  end
end
