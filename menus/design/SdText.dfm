object ShadowTextForm: TShadowTextForm
  Left = 245
  Top = 108
  BorderStyle = bsDialog
  Caption = 'Shadow'
  ClientHeight = 217
  ClientWidth = 396
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
    Top = 8
    Width = 281
    Height = 201
    Shape = bsFrame
  end
  object labelShadowPos: TLabel
    Left = 16
    Top = 17
    Width = 57
    Height = 13
    Caption = 'S&hadowPos'
    FocusControl = cmbShadowPos
  end
  object labelSelShadowPos: TLabel
    Left = 16
    Top = 64
    Width = 72
    Height = 13
    Caption = 'S&elShadowPos'
    FocusControl = cmbSelShadowPos
  end
  object labelShadowColor: TLabel
    Left = 200
    Top = 17
    Width = 63
    Height = 13
    Caption = 'Sha&dowColor'
  end
  object labelSelShadowColor: TLabel
    Left = 200
    Top = 64
    Width = 78
    Height = 13
    Caption = 'Se&lShadowColor'
  end
  object labelShadowSize: TLabel
    Left = 200
    Top = 114
    Width = 59
    Height = 13
    Caption = 'ShadowSi&ze'
    FocusControl = edtShadowSize
  end
  object labelSelShadowSize: TLabel
    Left = 200
    Top = 159
    Width = 74
    Height = 13
    Caption = 'SelShadowSi&ze'
    FocusControl = edtSelShadowSize
  end
  object cmbShadowPos: TComboBox
    Left = 16
    Top = 33
    Width = 140
    Height = 21
    Style = csDropDownList
    ItemHeight = 13
    Items.Strings = (
      'spLeftTop '
      'spLeftBottom '
      'spRightBottom '
      'spRightTop')
    TabOrder = 0
  end
  object cmbSelShadowPos: TComboBox
    Left = 16
    Top = 80
    Width = 140
    Height = 21
    Style = csDropDownList
    ItemHeight = 13
    Items.Strings = (
      'spLeftTop '
      'spLeftBottom '
      'spRightBottom '
      'spRightTop')
    TabOrder = 1
  end
  object gbOptions: TGroupBox
    Left = 16
    Top = 124
    Width = 140
    Height = 70
    Caption = '&Options'
    Color = clBtnFace
    ParentColor = False
    TabOrder = 2
    object cbOpt1: TCheckBox
      Left = 8
      Top = 26
      Width = 125
      Height = 17
      Caption = 'soNoShadowIfNormal'
      TabOrder = 0
    end
    object cbOpt2: TCheckBox
      Left = 8
      Top = 42
      Width = 110
      Height = 17
      Caption = 'soNoShadowIfSel'
      TabOrder = 1
    end
  end
  object edtShadowSize: TEdit
    Left = 200
    Top = 130
    Width = 65
    Height = 21
    TabOrder = 3
    OnEnter = edtShadowSizeEnter
    OnExit = edtShadowSizeExit
  end
  object edtSelShadowSize: TEdit
    Left = 200
    Top = 174
    Width = 65
    Height = 21
    TabOrder = 4
    OnEnter = edtSelShadowSizeEnter
    OnExit = edtSelShadowSizeExit
  end
  object OKBtn: TButton
    Left = 315
    Top = 13
    Width = 75
    Height = 25
    Caption = 'OK'
    Default = True
    ModalResult = 1
    TabOrder = 5
    OnClick = OKBtnClick
  end
  object CancelBtn: TButton
    Left = 315
    Top = 45
    Width = 75
    Height = 25
    Cancel = True
    Caption = 'Cancel'
    ModalResult = 2
    TabOrder = 6
  end
  object cbActive: TCheckBox
    Left = 315
    Top = 86
    Width = 50
    Height = 17
    Caption = '&Active'
    TabOrder = 7
    OnClick = cbActiveClick
  end
end
