-- The game's stages in playing order.
STAGE = {
  TITLE = 0,
  STAGE01 = 1,
  STAGE02 = 2,
  STAGE03 = 3,
  RANKING = 10,
}

STAGE_NAMES = {
  [STAGE.TITLE] = "TITLE",
  [STAGE.STAGE01] = "STAGE 1",
  [STAGE.STAGE02] = "STAGE 2",
  [STAGE.STAGE03] = "STAGE 3",
  [STAGE.RANKING] = "RANKING",
}

-- The stage after `stage`, or the ranking after the last one.
function nextStage(stage)
  if stage >= STAGE.STAGE01 and stage < STAGE.STAGE03 then
    return stage + 1
  end
  return STAGE.RANKING
end
