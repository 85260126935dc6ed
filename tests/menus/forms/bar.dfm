object MainForm: TForm
  Caption = 'Menu bar preview'
  ClientHeight = 150
  ClientWidth = 320
  Menu = MainMenu1
  object MainMenu1: TMainMenu
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
    MenuBar.Caption = 'Bar'
    MenuBar.BackFrom = clPurple
    MenuBar.IsSeparator = False
    object VeskMenuItem1: TVeskMenuItem
      NormColor = clAqua
      SelColor = clMaroon
      Options = [omFixedImgSize, omDrawBarIfNeeded]
      MenuItem = New1
    end
    object VeskMenuItem2: TVeskMenuItem
      NormColor = clAqua
      Options = [omFixedImgSize, omDrawBarIfNeeded]
      MenuItem = N1
    end
    object VeskMenuItem3: TVeskMenuItem
      NormColor = clAqua
      SelColor = clMaroon
      Options = [omFixedImgSize, omDrawBarIfNeeded]
      MenuItem = Quit1
    end
  end
end
