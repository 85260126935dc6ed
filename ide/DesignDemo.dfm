object DemoForm: TDemoForm
  Left = 320
  Top = 16
  Caption = 'Design demo'
  ClientHeight = 150
  ClientWidth = 320
  Menu = MainMenu1
  object Label1: TLabel
    Left = 16
    Top = 64
    Caption = 'Colour:'
  end
  object ColorButton1: TColorButton
    Left = 64
    Top = 60
    Color = clTeal
  end
  object MainMenu1: TMainMenu
    Left = 8
    Top = 8
    object File1: TMenuItem
      Caption = '&File'
      object New1: TMenuItem
        Caption = '&New'
      end
      object N1: TMenuItem
        Caption = '-'
      end
      object Quit1: TMenuItem
        Caption = '&Quit'
        OnClick = Quit1Click
      end
    end
  end
  object VeskMenu1: TVeskMenu
    ShowBar = True
    MenuBar.Caption = 'Demo'
    MenuBar.BackFrom = clPurple
    Left = 80
    Top = 8
    object VeskMenuItem1: TVeskMenuItem
      NormColor = clAqua
      SelColor = clMaroon
      MenuItem = New1
    end
    object VeskMenuItem2: TVeskMenuItem
      NormColor = clAqua
      MenuItem = N1
    end
    object VeskMenuItem3: TVeskMenuItem
      NormColor = clAqua
      SelColor = clMaroon
      MenuItem = Quit1
    end
  end
end
