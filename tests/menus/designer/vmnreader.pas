{ vmnreader: Free Pascal's Classes as the independent reader of edition files.

    vmnreader read FILE          reads the edition with TReader.ReadComponents into components of the
                                 same published shape as the menu items, prints one line per item
                                 (class, name, the components it refers to, a few values), then writes
                                 the items back with TWriter and checks that the bytes are the file's own
    vmnreader fromtext TEXT OUT  ObjectTextToBinary over every object of the text, one after the other,
                                 then the closing 0 byte: an edition written by Free Pascal

  Errors: the exception's class and message on standard error, exit code 1. }
{$mode objfpc}{$H+}
program vmnreader;

uses
  SysUtils, Classes, TypInfo;

type
  TColor = type Longint;
  TFontCharset = type Byte;
  TFontStyle = (fsBold, fsItalic, fsUnderline, fsStrikeOut);
  TFontStyles = set of TFontStyle;
  TFontPitch = (fpDefault, fpVariable, fpFixed);
  TAlign = (alNone, alTop, alBottom, alLeft, alRight, alClient);
  TTextAlign = alTop..alRight;
  TPanelBevel = (bvNone, bvLowered, bvRaised, bvSpace);
  TBevelStyle = (bsBevelBoth, bsBevelOnlyImage, bsBevelOnlyText);
  TBevelType = (btRectangle, btRoundedRect);
  TMenuOption = (omAlwaysDefFont, omAlwaysDefFontColor, omAlwaysDefFontSize, omFixedImgSize,
    omDrawBarIfNeeded, omPaintWallpaper, omPaintSelWallpaper, omTileWallpaper, omTileSelWallpaper,
    omBevelOnlyIfSel, omNoHighlightImage, omNoHighlightDisabled, omNoHighlightEnabled,
    omNoHighlightEnabledButDoText, omNoHighlightEnabledButDoRoundRect, omRightJustified,
    omNoImageAttached);
  TMenuOptions = set of TMenuOption;
  TShadowOption = (soNoShadowIfNormal, soNoShadowIfSel);
  TShadowOptions = set of TShadowOption;
  TShadowPosition = (spLeftTop, spLeftBottom, spRightBottom, spRightTop);

const
  clSys = Longint($80000000);
  clMenu = clSys + 4;
  clHighlight = clSys + 13;
  clHighlightText = clSys + 14;
  clBtnHighlight = clSys + 20;
  clNone = $1FFFFFFF;

  Colors: array[0..45] of TIdentMapEntry = (
    (Value: $000000; Name: 'clBlack'), (Value: $000080; Name: 'clMaroon'), (Value: $008000; Name: 'clGreen'),
    (Value: $008080; Name: 'clOlive'), (Value: $800000; Name: 'clNavy'), (Value: $800080; Name: 'clPurple'),
    (Value: $808000; Name: 'clTeal'), (Value: $808080; Name: 'clGray'), (Value: $C0C0C0; Name: 'clSilver'),
    (Value: $0000FF; Name: 'clRed'), (Value: $00FF00; Name: 'clLime'), (Value: $00FFFF; Name: 'clYellow'),
    (Value: $FF0000; Name: 'clBlue'), (Value: $FF00FF; Name: 'clFuchsia'), (Value: $FFFF00; Name: 'clAqua'),
    (Value: $FFFFFF; Name: 'clWhite'), (Value: clSys + 0; Name: 'clScrollBar'),
    (Value: clSys + 1; Name: 'clBackground'), (Value: clSys + 2; Name: 'clActiveCaption'),
    (Value: clSys + 3; Name: 'clInactiveCaption'), (Value: clSys + 4; Name: 'clMenu'),
    (Value: clSys + 5; Name: 'clWindow'), (Value: clSys + 6; Name: 'clWindowFrame'),
    (Value: clSys + 7; Name: 'clMenuText'), (Value: clSys + 8; Name: 'clWindowText'),
    (Value: clSys + 9; Name: 'clCaptionText'), (Value: clSys + 10; Name: 'clActiveBorder'),
    (Value: clSys + 11; Name: 'clInactiveBorder'), (Value: clSys + 12; Name: 'clAppWorkSpace'),
    (Value: clSys + 13; Name: 'clHighlight'), (Value: clSys + 14; Name: 'clHighlightText'),
    (Value: clSys + 15; Name: 'clBtnFace'), (Value: clSys + 16; Name: 'clBtnShadow'),
    (Value: clSys + 17; Name: 'clGrayText'), (Value: clSys + 18; Name: 'clBtnText'),
    (Value: clSys + 19; Name: 'clInactiveCaptionText'), (Value: clSys + 20; Name: 'clBtnHighlight'),
    (Value: clSys + 21; Name: 'cl3DDkShadow'), (Value: clSys + 22; Name: 'cl3DLight'),
    (Value: clSys + 23; Name: 'clInfoText'), (Value: clSys + 24; Name: 'clInfoBk'),
    (Value: clSys + 26; Name: 'clHotLight'), (Value: clSys + 27; Name: 'clGradientActiveCaption'),
    (Value: clSys + 28; Name: 'clGradientInactiveCaption'), (Value: clSys + 29; Name: 'clMenuHighlight'),
    (Value: clSys + 30; Name: 'clMenuBar'));
  MoreColors: array[0..1] of TIdentMapEntry = (
    (Value: clNone; Name: 'clNone'), (Value: $20000000; Name: 'clDefault'));
  Charsets: array[0..18] of TIdentMapEntry = (
    (Value: 0; Name: 'ANSI_CHARSET'), (Value: 1; Name: 'DEFAULT_CHARSET'), (Value: 2; Name: 'SYMBOL_CHARSET'),
    (Value: 77; Name: 'MAC_CHARSET'), (Value: 128; Name: 'SHIFTJIS_CHARSET'),
    (Value: 129; Name: 'HANGEUL_CHARSET'), (Value: 130; Name: 'JOHAB_CHARSET'),
    (Value: 134; Name: 'GB2312_CHARSET'), (Value: 136; Name: 'CHINESEBIG5_CHARSET'),
    (Value: 161; Name: 'GREEK_CHARSET'), (Value: 162; Name: 'TURKISH_CHARSET'),
    (Value: 163; Name: 'VIETNAMESE_CHARSET'), (Value: 177; Name: 'HEBREW_CHARSET'),
    (Value: 178; Name: 'ARABIC_CHARSET'), (Value: 186; Name: 'BALTIC_CHARSET'),
    (Value: 204; Name: 'RUSSIAN_CHARSET'), (Value: 222; Name: 'THAI_CHARSET'),
    (Value: 238; Name: 'EASTEUROPE_CHARSET'), (Value: 255; Name: 'OEM_CHARSET'));

function IdentToColor(const Ident: string; var Int: Longint): Boolean;
begin
  Result := IdentToInt(Ident, Int, Colors) or IdentToInt(Ident, Int, MoreColors);
end;

function ColorToIdent(Int: Longint; var Ident: string): Boolean;
begin
  Result := IntToIdent(Int, Ident, Colors) or IntToIdent(Int, Ident, MoreColors);
end;

function IdentToCharset(const Ident: string; var Int: Longint): Boolean;
begin
  Result := IdentToInt(Ident, Int, Charsets);
end;

function CharsetToIdent(Int: Longint; var Ident: string): Boolean;
begin
  Result := IntToIdent(Int, Ident, Charsets);
end;

type
  TFont = class(TPersistent)
  private
    FCharset: TFontCharset;
    FColor: TColor;
    FHeight: Longint;
    FName: string;
    FPitch: TFontPitch;
    FStyle: TFontStyles;
  published
    property Charset: TFontCharset read FCharset write FCharset;
    property Color: TColor read FColor write FColor;
    property Height: Longint read FHeight write FHeight;
    property Name: string read FName write FName;
    property Pitch: TFontPitch read FPitch write FPitch default fpDefault;
    property Style: TFontStyles read FStyle write FStyle;
  end;

  { The picture's graphic as its stream holds it: class name, then the graphic's own data. }
  TPicture = class(TPersistent)
  private
    FData: TMemoryStream;
    procedure ReadData(Stream: TStream);
    procedure WriteData(Stream: TStream);
  protected
    procedure DefineProperties(Filer: TFiler); override;
  public
    constructor Create;
    destructor Destroy; override;
    function GraphicClass: string;
  end;

  TShadowText = class(TPersistent)
  private
    FActive: Boolean;
    FOptions: TShadowOptions;
    FShadowColor, FSelShadowColor: TColor;
    FShadowSize, FSelShadowSize: Byte;
    FShadowPos, FSelShadowPos: TShadowPosition;
  public
    constructor Create;
  published
    property Active: Boolean read FActive write FActive default False;
    property Options: TShadowOptions read FOptions write FOptions default [soNoShadowIfSel];
    property ShadowColor: TColor read FShadowColor write FShadowColor default clBtnHighlight;
    property SelShadowColor: TColor read FSelShadowColor write FSelShadowColor default clBtnHighlight;
    property ShadowSize: Byte read FShadowSize write FShadowSize default 1;
    property SelShadowSize: Byte read FSelShadowSize write FSelShadowSize default 1;
    property ShadowPos: TShadowPosition read FShadowPos write FShadowPos default spLeftTop;
    property SelShadowPos: TShadowPosition read FSelShadowPos write FSelShadowPos default spLeftTop;
  end;

  TMenu = class(TComponent);
  TMenuItem = class(TComponent);

  TVeskMenuItem = class(TComponent)
  private
    FFont: TFont;
    FPicture, FDisabledPicture: TPicture;
    FTrColor, FSelColor, FNormColor, FSelTextColor: TColor;
    FTextAlign: TTextAlign;
    FOptions: TMenuOptions;
    FCustomImgSize: Longint;
    FMenu: TMenu;
    FMenuItem: TMenuItem;
    FBevelInner, FBevelOuter: TPanelBevel;
    FBevelStyle: TBevelStyle;
    FBevelType: TBevelType;
    FSeparatorText: string;
    FImageIndex: Longint;
    FShadow: TShadowText;
  public
    constructor Create(AOwner: TComponent); override;
    destructor Destroy; override;
  published
    property Font: TFont read FFont write FFont;
    property Picture: TPicture read FPicture write FPicture;
    property DisabledPicture: TPicture read FDisabledPicture write FDisabledPicture;
    property TrColor: TColor read FTrColor write FTrColor default clNone;
    property SelColor: TColor read FSelColor write FSelColor default clHighlight;
    property NormColor: TColor read FNormColor write FNormColor default clMenu;
    property TextAlign: TTextAlign read FTextAlign write FTextAlign default alRight;
    property Options: TMenuOptions read FOptions write FOptions
      default [omFixedImgSize, omTileWallpaper, omTileSelWallpaper];
    property CustomImgSize: Longint read FCustomImgSize write FCustomImgSize default 16;
    property Menu: TMenu read FMenu write FMenu;
    property MenuItem: TMenuItem read FMenuItem write FMenuItem;
    property BevelInner: TPanelBevel read FBevelInner write FBevelInner default bvNone;
    property BevelOuter: TPanelBevel read FBevelOuter write FBevelOuter default bvNone;
    property BevelStyle: TBevelStyle read FBevelStyle write FBevelStyle default bsBevelBoth;
    property BevelType: TBevelType read FBevelType write FBevelType default btRectangle;
    property SeparatorText: string read FSeparatorText write FSeparatorText;
    property ImageIndex: Longint read FImageIndex write FImageIndex;
    property SelTextColor: TColor read FSelTextColor write FSelTextColor default clHighlightText;
    property Shadow: TShadowText read FShadow write FShadow;
  end;

  { The form the edition's references point into: a component of the referenced name is made for every
    Menu and MenuItem that the records name, so that the reader resolves them and the writer names them. }
  TReading = class
    Root: TComponent;
    Items: TList;
    procedure Add(Component: TComponent);
  end;

constructor TPicture.Create;
begin
  FData := TMemoryStream.Create;
end;

destructor TPicture.Destroy;
begin
  FData.Free;
  inherited Destroy;
end;

procedure TPicture.ReadData(Stream: TStream);
begin
  FData.Clear;
  FData.CopyFrom(Stream, Stream.Size - Stream.Position);
end;

procedure TPicture.WriteData(Stream: TStream);
begin
  Stream.WriteBuffer(FData.Memory^, FData.Size);
end;

procedure TPicture.DefineProperties(Filer: TFiler);
begin
  Filer.DefineBinaryProperty('Data', @ReadData, @WriteData, FData.Size > 0);
end;

function TPicture.GraphicClass: string;
begin
  Result := '';
  if FData.Size > 0 then
    SetString(Result, PChar(FData.Memory) + 1, PByte(FData.Memory)^);
end;

constructor TShadowText.Create;
begin
  FOptions := [soNoShadowIfSel];
  FShadowColor := clBtnHighlight;
  FSelShadowColor := clBtnHighlight;
  FShadowSize := 1;
  FSelShadowSize := 1;
end;

constructor TVeskMenuItem.Create(AOwner: TComponent);
begin
  inherited Create(AOwner);
  FFont := TFont.Create;
  FPicture := TPicture.Create;
  FDisabledPicture := TPicture.Create;
  FShadow := TShadowText.Create;
  FTrColor := clNone;
  FSelColor := clHighlight;
  FNormColor := clMenu;
  FSelTextColor := clHighlightText;
  FTextAlign := alRight;
  FOptions := [omFixedImgSize, omTileWallpaper, omTileSelWallpaper];
  FCustomImgSize := 16;
end;

destructor TVeskMenuItem.Destroy;
begin
  FShadow.Free;
  FDisabledPicture.Free;
  FPicture.Free;
  FFont.Free;
  inherited Destroy;
end;

procedure TReading.Add(Component: TComponent);
begin
  Items.Add(Component);
end;

function ColorText(C: TColor): string;
begin
  if not ColorToIdent(C, Result) then
    Result := IntToStr(C);
end;

function RefName(C: TComponent): string;
begin
  if C = nil then
    Result := '(none)'
  else
    Result := C.Name;
end;

{ The names that follow "Menu = " and "MenuItem = " in the text of the records. }
procedure MakeReferenced(Edition: TMemoryStream; Root: TComponent);
var
  Text: TStringStream;
  Lines: TStringList;
  I: Integer;
  Line, Name: string;
begin
  Text := TStringStream.Create('');
  Lines := TStringList.Create;
  try
    Edition.Position := 0;
    while (Edition.Position < Edition.Size) and (PByte(Edition.Memory)[Edition.Position] <> 0) do
      ObjectBinaryToText(Edition, Text);
    Lines.Text := Text.DataString;
    for I := 0 to Lines.Count - 1 do
    begin
      Line := Trim(Lines[I]);
      Name := '';
      if Copy(Line, 1, 7) = 'Menu = ' then
      begin
        Name := Copy(Line, 8, MaxInt);
        if Root.FindComponent(Name) = nil then
          TMenu.Create(Root).Name := Name;
      end
      else if Copy(Line, 1, 11) = 'MenuItem = ' then
      begin
        Name := Copy(Line, 12, MaxInt);
        if Root.FindComponent(Name) = nil then
          TMenuItem.Create(Root).Name := Name;
      end;
    end;
  finally
    Lines.Free;
    Text.Free;
  end;
end;

procedure ReadEdition(const FileName: string);
var
  Edition, Again: TMemoryStream;
  Reading: TReading;
  Reader: TReader;
  Writer: TWriter;
  Item: TVeskMenuItem;
  I: Integer;
begin
  Edition := TMemoryStream.Create;
  Again := TMemoryStream.Create;
  Reading := TReading.Create;
  Reading.Root := TComponent.Create(nil);
  Reading.Root.Name := 'Form1';
  Reading.Items := TList.Create;
  try
    Edition.LoadFromFile(FileName);
    MakeReferenced(Edition, Reading.Root);
    Edition.Position := 0;
    Reader := TReader.Create(Edition, 4096);
    try
      Reader.ReadComponents(Reading.Root, nil, @Reading.Add);
    finally
      Reader.Free;
    end;
    if Edition.Position <> Edition.Size then
      raise EReadError.CreateFmt('%d bytes after the closing 0 byte', [Edition.Size - Edition.Position]);
    for I := 0 to Reading.Items.Count - 1 do
    begin
      Item := TVeskMenuItem(Reading.Items[I]);
      WriteLn(Item.ClassName, ' ', Item.Name, ' Menu=', RefName(Item.Menu), ' MenuItem=', RefName(Item.MenuItem),
        ' TrColor=', ColorText(Item.TrColor), ' Font=', Item.Font.Name, '/', Item.Font.Height,
        ' Picture=', Item.Picture.GraphicClass, ' SeparatorText=', Length(Item.SeparatorText),
        ' Shadow.Active=', BoolToStr(Item.Shadow.Active, True));
    end;
    Writer := TWriter.Create(Again, 4096);
    try
      Writer.Root := Reading.Root;
      for I := 0 to Reading.Items.Count - 1 do
      begin
        Writer.WriteSignature;
        Writer.WriteComponent(TComponent(Reading.Items[I]));
      end;
      Writer.WriteListEnd;
    finally
      Writer.Free;
    end;
    if (Again.Size <> Edition.Size) or not CompareMem(Again.Memory, Edition.Memory, Edition.Size) then
    begin
      I := 0;
      while (I < Again.Size) and (I < Edition.Size) and
        (PByte(Again.Memory)[I] = PByte(Edition.Memory)[I]) do
        Inc(I);
      raise EWriteError.CreateFmt('written again, the edition differs from offset %d (%d bytes, not %d)',
        [I, Again.Size, Edition.Size]);
    end;
    WriteLn('written again: the same ', Edition.Size, ' bytes');
  finally
    Reading.Items.Free;
    Reading.Root.Free;
    Reading.Free;
    Again.Free;
    Edition.Free;
  end;
end;

procedure FromText(const InName, OutName: string);
var
  Input, Output: TMemoryStream;
  Zero: Byte;
  P: Int64;
begin
  Input := TMemoryStream.Create;
  Output := TMemoryStream.Create;
  try
    Input.LoadFromFile(InName);
    repeat
      P := Input.Position;
      while (P < Input.Size) and (PChar(Input.Memory)[P] in [' ', #9, #10, #13]) do
        Inc(P);
      if P >= Input.Size then
        Break;
      ObjectTextToBinary(Input, Output);
    until False;
    Zero := 0;
    Output.WriteBuffer(Zero, 1);
    Output.SaveToFile(OutName);
  finally
    Output.Free;
    Input.Free;
  end;
end;

begin
  RegisterIntegerConsts(TypeInfo(TColor), @IdentToColor, @ColorToIdent);
  RegisterIntegerConsts(TypeInfo(TFontCharset), @IdentToCharset, @CharsetToIdent);
  RegisterClasses([TVeskMenuItem, TMenu, TMenuItem]);
  try
    if (ParamCount = 2) and (ParamStr(1) = 'read') then
      ReadEdition(ParamStr(2))
    else if (ParamCount = 3) and (ParamStr(1) = 'fromtext') then
      FromText(ParamStr(2), ParamStr(3))
    else
    begin
      WriteLn(StdErr, 'usage: vmnreader read FILE | vmnreader fromtext TEXT OUT');
      Halt(2);
    end;
  except
    on E: Exception do
    begin
      WriteLn(StdErr, E.ClassName, ': ', E.Message);
      Halt(1);
    end;
  end;
end.
