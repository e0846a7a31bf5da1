-- 2D drawing of the menus and the stage's texts over the display list. A
-- scene redraws its whole picture every frame between Screen.begin and
-- Screen.finish; the curtain of the transitions is drawn last.
Screen = { WIDTH = 1280, HEIGHT = 720, curtain = 0 }

COLOUR = {
  TEXT = { 230, 236, 255 },
  DIM = { 120, 132, 160 },
  TITLE = { 255, 208, 96 },
  CURSOR = { 96, 160, 255 },
  PANEL = { 12, 18, 40 },
  ALERT = { 255, 96, 80 },
}

function Screen.begin()
  gfxCls()
  gfxDefault()
end

local function colour(c, alpha)
  gfxSetColor(c[1], c[2], c[3], alpha or 255)
end

-- The display list prints by character cells of its font, which prints at
-- 32 pixels: half-width cells 16 wide and 32 high. The scenes give pixels,
-- and the text goes to the nearest cell.
Screen.CELL_WIDTH, Screen.CELL_HEIGHT = 16, 32
local cellWidth, cellHeight = Screen.CELL_WIDTH, Screen.CELL_HEIGHT

function Screen.text(x, y, text, c, alpha)
  colour(c or COLOUR.TEXT, alpha)
  gfxSetLocate2D(math.floor(x / cellWidth + 0.5), math.floor(y / cellHeight + 0.5))
  gfxPrintf2D(text)
end

-- Text centred on x; the font's half-width cells hold one letter each.
function Screen.centred(x, y, text, c, alpha)
  Screen.text(x - #text * cellWidth / 2, y, text, c, alpha)
end

function Screen.fill(left, top, right, bottom, c, alpha)
  colour(c, alpha)
  gfxRectFill2D(left, top, right, bottom)
end

function Screen.frame(left, top, right, bottom, c, alpha)
  colour(c, alpha)
  gfxRect2D(left, top, right, bottom)
end

-- A framed panel with a heading, the backdrop of every menu.
function Screen.panel(left, top, right, bottom, heading)
  Screen.fill(left, top, right, bottom, COLOUR.PANEL, 200)
  Screen.frame(left, top, right, bottom, COLOUR.CURSOR)
  if heading then
    Screen.centred((left + right) / 2, top + 32, heading, COLOUR.TITLE)
  end
end

function Screen.finish()
  if Screen.curtain > 0 then
    Screen.fill(0, 0, Screen.WIDTH, Screen.HEIGHT, { 0, 0, 0 }, math.floor(Screen.curtain * 255))
  end
end
