object VclDialogForm: TVclDialogForm
  Left = 10
  Top = 10
  ActiveControl = edtSize
  BorderStyle = bsDialog
  Caption = 'Dialog'
  ClientHeight = 214
  ClientWidth = 337
  Color = clBtnFace
  Font.Charset = DEFAULT_CHARSET
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'MS Sans Serif'
  Font.Style = []
  Position = poScreenCenter
  OnActivate = FormActivate
  OnDestroy = FormDestroy
  PixelsPerInch = 96
  TextHeight = 13
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
    Caption = 'S&pace && more'
    FocusControl = edtSpace
  end
  object edtCaption: TEdit
    Left = 131
    Top = 40
    Width = 190
    Height = 21
    TabOrder = 0
    Text = 'Меню'
  end
  object edtSize: TEdit
    Left = 131
    Top = 88
    Width = 49
    Height = 21
    TabOrder = 1
    Text = '12'
    OnEnter = edtSizeEnter
    OnExit = edtSizeExit
  end
  object edtSpace: TEdit
    Left = 187
    Top = 88
    Width = 49
    Height = 21
    TabOrder = 2
    Text = '3'
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
  object gbOptions: TGroupBox
    Left = 16
    Top = 124
    Width = 110
    Height = 70
    Caption = '&Options'
    Color = clBtnFace
    ParentColor = False
    TabOrder = 4
    object cbOpt1: TCheckBox
      Left = 8
      Top = 26
      Width = 95
      Height = 17
      Caption = 'Opt&1'
      TabOrder = 0
    end
    object cbOpt2: TCheckBox
      Left = 8
      Top = 42
      Width = 95
      Height = 17
      Caption = 'Opt&2'
      Checked = True
      State = cbChecked
      TabOrder = 1
    end
  end
  object lbFiles: TListBox
    Left = 131
    Top = 120
    Width = 97
    Height = 50
    ItemHeight = 13
    Items.Strings = (
      'один'
      'two')
    MultiSelect = True
    TabOrder = 5
  end
  object OKBtn: TButton
    Left = 170
    Top = 184
    Width = 75
    Height = 25
    Caption = 'OK'
    Default = True
    ModalResult = 1
    TabOrder = 6
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
    TabOrder = 7
  end
end
