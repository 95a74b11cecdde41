// The page in the installed chromium: the desktop field's keys, the Enter flow to the rows,
// the fee model switch, the settings file in and out, a reload without the network, and a
// table of trades whose every number must be the companion's, bit for bit.
import {test, before, after} from 'node:test';
import assert from 'node:assert/strict';
import {execFileSync} from 'node:child_process';
import {mkdtempSync, readFileSync, writeFileSync} from 'node:fs';
import {tmpdir} from 'node:os';
import {join} from 'node:path';
import {root, serve, launch, open, field, press, focusedLabel, rows} from './support.js';

const calc = process.env.YM_CALC ?? join(root, 'build/dev/tools/yuanmate-calc');
const work = mkdtempSync(join(tmpdir(), 'ym-web-'));
let server;
let browser;

before(async () => {
  server = await serve();
  browser = await launch();
});
after(async () => {
  await browser?.close();
  await server?.close();
});

function companion(...args) {
  return execFileSync(calc, args, {encoding: 'utf8', cwd: work});
}

async function type(page, name, text) {
  const input = await field(page, name);
  await input.click({count: 3});
  await page.keyboard.press('Backspace');
  await page.keyboard.type(text);
  return input;
}

const value = (input) => input.evaluate((e) => e.value);

async function select(page, market, type) {
  await (await field(page, market)).click();
  await (await field(page, type)).click();
}

// The settings file as the page keeps it, written where the companion can read it.
async function pageSettings(page, name) {
  const bytes = await page.evaluate(() => Array.from(window.ymCore.settingsBytes()));
  const file = join(work, name);
  writeFileSync(file, Buffer.from(bytes));
  return file;
}

async function useModel(page, model) {
  await page.evaluate(() => { document.getElementById('Page_3').open = true; });
  await (await field(page, model)).click();
  await page.evaluate(() => { document.getElementById('Page_3').open = false; });
}

// The whole Enter flow of a trade: each field, Enter, and Enter on 计 算.
async function enterTrade(page, t) {
  await select(page, t.market, t.type);
  await type(page, '买入价格', t.buy);
  await press(page, 'Enter');
  await type(page, '卖出价格', t.sell);
  await press(page, 'Enter');
  await type(page, '买卖数量', t.qty);
  await press(page, 'Enter');
  await press(page, 'Enter');
  return page.evaluate(() => window.lastResult);
}

test('a price field refuses what the desktop field refuses', async () => {
  const page = await open(browser, server.url);
  // A point never first, letters and blanks never, one point only, seven characters.
  const cases = [
    ['买入价格', '.1a2.3 4', '12.34'],
    ['卖出价格', '12345678', '1234567'],
    ['卖出价格', '-0.5e3', '0.53'],
    ['卖出价格', '１2。5', '25'],
    ['买卖数量', '1.5k00', '1500'],
    ['买卖数量', '1234567890', '123456789'],
  ];
  for (const [name, typed, shown] of cases) {
    assert.equal(await value(await type(page, name, typed)), shown, `${name} ${typed}`);
  }
  // A point may replace a selected point, and Backspace takes characters away.
  const buy = await type(page, '买入价格', '1.5');
  await buy.evaluate((e) => e.setSelectionRange(1, 2));
  await page.keyboard.type('.');
  await press(page, 'Backspace');
  assert.equal(await value(buy), '15');
  // Pasted text goes through the same filter.
  await buy.evaluate((e) => e.setSelectionRange(0, 2));
  await page.evaluate(() => {
    const e = document.activeElement;
    const data = new DataTransfer();
    data.setData('text/plain', '9x.8.7');
    e.dispatchEvent(new InputEvent('beforeinput', {inputType: 'insertFromPaste',
                                                   dataTransfer: data, cancelable: true}));
  });
  assert.equal(await value(buy), '9.87');
  await page.close();
});

test('Enter walks the fields to the rows; a refused buy price stays put', async () => {
  const page = await open(browser, server.url);
  await select(page, '深市', 'A 股');
  await type(page, '买入价格', '1000000');
  await press(page, 'Enter');
  const message = await page.waitForSelector('#Message[open]');
  assert.equal(await message.evaluate((m) => m.querySelector('p').textContent),
               '输入的值不能大于等于1000000,请重新输入!');
  await press(page, 'Enter');
  assert.equal(await focusedLabel(page), '买入价格');
  assert.equal(await value(await field(page, '买入价格')), '');

  await type(page, '买入价格', '10');
  await press(page, 'Enter');
  assert.equal(await focusedLabel(page), '卖出价格');
  await type(page, '卖出价格', '10.5');
  await press(page, 'Enter');
  assert.equal(await value(await field(page, '卖出价格')), '10.50');
  assert.equal(await focusedLabel(page), '买卖数量');
  await type(page, '买卖数量', '1000');
  await press(page, 'Enter');
  assert.equal(await focusedLabel(page), '计 算');
  await press(page, 'Enter');
  assert.equal(await focusedLabel(page), '买入价格');

  // The rows are the panel's, as the companion prints them for the same file.
  const ini = await pageSettings(page, 'flow.ini');
  const expected = companion('trade', '--ini', ini, '--buy', '10', '--sell', '10.5', '--qty',
                             '1000').trim().split('\n').map((l) => l.split('\t'));
  assert.deepEqual(await rows(page), expected);
  // C clears the fields and the rows.
  await press(page, 'c');
  assert.equal(await value(await field(page, '买入价格')), '');
  assert.ok((await rows(page)).every(([, v]) => /^0\.00(元| %)$/.test(v)));
  await page.close();
});

// Shortest round-trip text and the bits of a double.
function bits(x) {
  const view = new DataView(new ArrayBuffer(8));
  view.setFloat64(0, x);
  return view.getBigUint64(0).toString(16);
}

const trades = [
  {market: '沪市', type: 'A 股', buy: '10', sell: '10.5', qty: '1000'},
  {market: '深市', type: 'A 股', buy: '3.33', sell: '3.21', qty: '300'},
  {market: '沪市', type: 'B 股', buy: '0.555', sell: '0.61', qty: '1000'},
  {market: '深市', type: 'B 股', buy: '1.23', sell: '1.5', qty: '100'},
  {market: '沪市', type: '债券', buy: '100.02', sell: '101.5', qty: '10'},
  {market: '深市', type: '基金', buy: '1.001', sell: '', qty: '100'},
  {market: '沪市', type: '证券投资基金', buy: '', sell: '2.5', qty: '200'},
  {market: '深市', type: 'A 股', buy: '999999', sell: '0.01', qty: '999999999'},
  {market: '沪市', type: 'A 股', buy: '0.01', sell: '0.02', qty: '100'},
];

for (const [model, rules, date] of [['经典参数', 'classic', null],
                                     ['官方规则', 'official', '2023-08-28'],
                                     ['官方规则', 'official', '2015-08-01']]) {
  test(`trades under ${rules} ${date ?? ''}: every number the companion's, bit for bit`,
       async () => {
    const page = await open(browser, server.url);
    await useModel(page, model);
    if (date) {
      await page.$eval('#DTPicker1', (e, d) => {
        e.value = d;
        e.dispatchEvent(new Event('change'));
      }, date);
      assert.match(await page.$eval('#Label18', (e) => e.textContent), new RegExp(date));
    }
    for (const t of trades) {
      const got = await enterTrade(page, t);
      const ini = await pageSettings(page, 'trade.ini');
      const args = ['trade', '--ini', ini, '--buy', t.buy, '--sell', t.sell, '--qty', t.qty,
                    '--json'];
      if (date) args.push('--date', date);
      const want = JSON.parse(companion(...args));
      assert.equal(Object.keys(got).length, 28);
      for (const [name, number] of Object.entries(want)) {
        const label = `${JSON.stringify(t)} ${name}`;
        if (number === null) {
          assert.equal(got[name], null, label);
        } else {
          assert.equal(String(got[name]), String(number), label);
          assert.equal(bits(got[name]), bits(number), label);
        }
      }
    }
    await page.close();
  });
}

test('the fee model switch recomputes under the other rules', async () => {
  const page = await open(browser, server.url);
  const t = {market: '沪市', type: 'A 股', buy: '10', sell: '10.2', qty: '100'};
  const classic = await enterTrade(page, t);
  await useModel(page, '官方规则');
  assert.match(await page.$eval('#Label18', (e) => e.textContent), /^官方规则 \d{4}-\d\d-\d\d$/);
  // The switch resets the rows: the user calculates again.
  assert.ok((await rows(page)).every(([, v]) => /^0\.00(元| %)$/.test(v)));
  const official = await enterTrade(page, t);
  // The minimum commission of 5 yuan on 1000 yuan: the official rules charge it, the
  // classic file's rate alone does not reach it.
  assert.equal(official.BuyCommission, 5);
  assert.notEqual(official.FeesTotal, classic.FeesTotal);
  await useModel(page, '经典参数');
  assert.equal(await page.$eval('#Label18', (e) => e.textContent), '经典参数');

  // Terms beyond the law's cap of 3‰ or a minimum beyond 1000 are refused and not kept.
  await page.evaluate(() => { document.getElementById('Page_3').open = true; });
  await type(page, '佣金率', '0.0031');
  await type(page, '港元', '1001');
  await (await field(page, '官方规则')).click();
  const problems = await page.$eval('#TermsProblems', (e) => e.textContent.split('\n'));
  assert.equal(problems.length, 2);
  assert.match(problems[0], /^佣金率: /);
  assert.match(problems[1], /^港元: /);
  assert.equal(await page.$eval('#Label18', (e) => e.textContent), '经典参数');
  await page.close();
});

test('a desktop settings file comes in and goes back byte for byte', async () => {
  const page = await open(browser, server.url);
  const source = join(root, 'tests/data/settings/utf16le_with_bom.ini');
  const original = readFileSync(source);
  await page.evaluate(() => { document.getElementById('Page_3').open = true; });
  await (await page.$('#Import')).uploadFile(source);
  await page.waitForFunction(() => !document.querySelector('#Message[open]') ||
                                       document.querySelector('#Message p').textContent);
  while (await page.$('#Message[open]')) await press(page, 'Enter');
  const exported = readFileSync(await pageSettings(page, 'back.ini'));
  assert.ok(exported.equals(original), 'imported bytes come back unchanged');

  // A reload keeps the file; choosing 深市 writes the selection into it, in its encoding.
  await page.reload({waitUntil: 'load'});
  await page.waitForSelector('body[data-ready="1"]');
  while (await page.$('#Message[open]')) await press(page, 'Enter');
  await select(page, '深市', 'A 股');
  const changed = readFileSync(await pageSettings(page, 'changed.ini'));
  assert.equal(changed.readUInt16LE(0), 0xFEFF);
  const byFile = companion('trade', '--ini', join(work, 'changed.ini'), '--buy', '10', '--sell',
                           '11', '--qty', '1000', '--json');
  const byOption = companion('trade', '--ini', join(work, 'changed.ini'), '--market', 'sz',
                             '--type', 'a', '--buy', '10', '--sell', '11', '--qty', '1000',
                             '--json');
  assert.equal(byFile, byOption);
  await page.close();
});

test('after the first visit the page works with the server gone', async () => {
  const own = await serve();
  const page = await open(browser, own.url);
  await page.evaluate(async () => {
    await navigator.serviceWorker.ready;
    if (!navigator.serviceWorker.controller) {
      await new Promise((r) => navigator.serviceWorker.addEventListener('controllerchange', r));
    }
  });
  await own.close();
  await page.reload({waitUntil: 'load'});
  await page.waitForSelector('body[data-ready="1"]');
  const got = await enterTrade(page, {market: '沪市', type: 'A 股', buy: '10', sell: '11',
                                      qty: '1000'});
  assert.equal(got.BuyAmount, 10000);
  assert.equal(got.SellAmount, 11000);
  await page.close();
});

test('ex-rights, the official table and the limits as the companion gives them', async () => {
  const page = await open(browser, server.url, 1024, 768);
  await page.evaluate(() => { for (const d of document.querySelectorAll('details')) d.open = true; });

  // The ex-rights fields take their own lengths: eleven for the price, seven for a count.
  assert.equal(await value(await type(page, '送配前股价', '123456789012')), '12345678901');
  assert.equal(await value(await type(page, '送股 10送:(股)', '123456789')), '1234567');
  await type(page, '送配前股价', '10');
  await (await field(page, '送股')).click();
  await type(page, '送股 10送:(股)', '3');
  await (await field(page, '送现金')).click();
  await type(page, '送现金 10送:(元)', '1.5');
  await press(page, 'Enter');
  assert.equal(await page.$eval('#ExResult', (e) => e.textContent),
               companion('exrights', '--before', '10', '--bonus', '3', '--cash', '1.5').trim());

  const date = '2023-08-28';
  await page.$eval('#RulesDate', (e, d) => {
    e.value = d;
    e.dispatchEvent(new Event('change'));
  }, date);
  const table = await page.$$eval('#ListView1 tr', (trs) => trs.map(
      (tr) => Array.from(tr.children, (c) => c.textContent).join('\t')));
  const listed = companion('rules', '--date', date).trim().split('\n').slice(1);
  assert.deepEqual(table, listed);

  await type(page, '证券代码', '600000');
  await type(page, '前收盘价', '10.01');
  await press(page, 'Enter');
  const limits = await page.$eval('#LimitResult', (e) => e.textContent);
  const lines = companion('limits', '--close', '10.01', '--code', '600000', '--date',
                          await page.$eval('#DTPicker1', (e) => e.value)).split('\n');
  const prices = lines.filter((l) => /^(涨停价|跌停价)\t/.test(l));
  assert.equal(prices.length, 2);
  for (const line of prices) {
    assert.ok(limits.includes(line.replace('\t', ' ')), `${line} in ${limits}`);
  }
  await page.close();
});

test('the display scheme colours the panel; F4 and F5 open their sections', async () => {
  const page = await open(browser, server.url);
  await page.evaluate(() => { document.getElementById('Page_3').open = true; });
  // The third preset: a silver panel, a profit in dark red, a loss in green (0x00BBGGRR).
  await page.select('#Scheme', '2');
  const colour = (caption) => page.$$eval('#Rows .row', (items, c) => {
    const row = items.find((r) => r.querySelector('dt').textContent.replace(/\s/g, '') === c);
    return getComputedStyle(row).color;
  }, caption);
  assert.equal(await page.$eval('#Picture2', (e) => getComputedStyle(e).backgroundColor),
               'rgb(192, 192, 192)');
  await enterTrade(page, {market: '沪市', type: 'A 股', buy: '10', sell: '12', qty: '1000'});
  assert.equal(await colour('纯利润：'), 'rgb(192, 0, 0)');
  await enterTrade(page, {market: '沪市', type: 'A 股', buy: '12', sell: '10', qty: '1000'});
  assert.equal(await colour('纯利润：'), 'rgb(0, 255, 0)');
  // The scheme is kept in the settings file: a reload shows it.
  await page.reload({waitUntil: 'load'});
  await page.waitForSelector('body[data-ready="1"]');
  assert.equal(await page.$eval('#Picture2', (e) => getComputedStyle(e).backgroundColor),
               'rgb(192, 192, 192)');

  await press(page, 'F4');
  assert.equal(await focusedLabel(page), '送配前股价');
  await press(page, 'F5');
  assert.equal(await focusedLabel(page), '佣金率');
  await page.close();
});

test('a statement opened in the page is checked as the companion checks it', async () => {
  const page = await open(browser, server.url);
  await page.evaluate(() => { document.getElementById('Statement').open = true; });
  // Two exports as they are, and one whose stamp duty on a sale was charged twice over.
  const files = ['ths_utf8.csv', 'tdx_gbk.xls'].map((f) => join(root, 'tests/data/statements', f));
  const overcharged = join(work, 'overcharged.csv');
  writeFileSync(overcharged, readFileSync(files[0], 'utf8').replace(',5,5.4,', ',5,10.8,')
                                 .replace('2026-01-09', '2026-02-09'));
  files.push(overcharged);
  await (await page.$('#StatementFiles')).uploadFile(...files);
  await page.waitForFunction(() => window.lastReport !== undefined);
  const got = await page.evaluate(() => window.lastReport);
  const want = JSON.parse(companion('statement', ...files, '--json'));
  assert.equal(got.trades, want.Trades);
  assert.equal(got.differing.length, 1);
  assert.equal(want.Differing.length, 1);
  for (const [name, key] of [['trades', 'Trades'], ['turnover', 'Turnover'],
                             ['commission', 'Commission'], ['stamp', 'Stamp'],
                             ['transfer', 'Transfer'], ['other', 'Other'], ['fees', 'Fees']]) {
    assert.equal(String(got.total[name]), String(want.Total[key]), name);
  }
  assert.equal(got.years.length, want.Years.length);
  got.differing.forEach((d, i) => {
    assert.equal(d.line, want.Differing[i].Line);
    assert.equal(String(d.difference), String(want.Differing[i].Difference));
  });
  assert.match(await page.$eval('#StatementReport', (e) => e.textContent), /成交 \d+ 笔/);
  await page.close();
});

test('the position tools give the companion\'s prices and sums under both models', async () => {
  const page = await open(browser, server.url, 1024, 768);
  await page.evaluate(() => { document.getElementById('Position').open = true; });
  const same = (got, want, label) => {
    assert.equal(bits(got), bits(want), label);
    assert.equal(String(got), String(want), label);
  };
  for (const [model, rules] of [['经典参数', 'classic'], ['官方规则', 'official']]) {
    await useModel(page, model);
    await select(page, '沪市', 'A 股');
    const ini = await pageSettings(page, 'position.ini');
    const date = await page.$eval('#DTPicker1', (e) => e.value);
    const tool = (...args) => JSON.parse(companion(...args, '--ini', ini,
                                                   ...(rules === 'official' ? ['--date', date] : []),
                                                   '--json'));

    for (const [buy, qty, kind, goal] of [['10', '1000', 'profit', '500'],
                                          ['10', '1000', 'yield', '-0.05'],
                                          ['0.01', '100', 'profit', '1000000000']]) {
      await type(page, '目标 买入价格', buy);
      await type(page, '目标 买卖数量', qty);
      await (await page.$(`input[name=goal][value=${kind}]`)).click();
      await type(page, '目标', goal);
      await page.click('#TgCompute');
      const got = await page.evaluate(() => window.lastPosition.price.value);
      const want = tool('target', '--buy', buy, '--qty', qty, `--${kind}`, goal).TargetPrice;
      if (want === null) assert.equal(got, null);
      else same(got, want, `target ${rules} ${buy} ${goal}`);
    }

    await type(page, '补仓 持仓数量', '1000');
    await type(page, '补仓 成本价', '12');
    await type(page, '补仓价格', '9.5');
    await type(page, '补仓数量', '1000');
    await page.click('#AvCompute');
    let got = await page.evaluate(() => window.lastPosition);
    let want = tool('average', '--held', '1000', '--cost', '12', '--buy', '9.5', '--qty', '1000');
    for (const [name, key] of [['fees', 'AddFees'], ['paid', 'AddPaid'],
                               ['newQuantity', 'NewQuantity'], ['newCost', 'NewCost']]) {
      same(got[name], want[key], `average ${rules} ${name}`);
    }
    same(got.breakEven.value, want.BreakEvenPrice, `average ${rules} break-even`);

    await type(page, '做T 持仓数量', '2000');
    await type(page, '做T 成本价', '11');
    await type(page, '做T数量', '1000');
    await type(page, '做T 卖出价格', '10.5');
    await type(page, '买回价格', '10.2');
    await page.click('#SwCompute');
    got = await page.evaluate(() => window.lastPosition);
    want = tool('swing', '--held', '2000', '--cost', '11', '--qty', '1000', '--sell', '10.5',
                '--buy', '10.2');
    for (const [name, key] of [['sellFees', 'SellFees'], ['buyFees', 'BuyFees'],
                               ['gain', 'Gain'], ['newCost', 'NewCost']]) {
      same(got[name], want[key], `swing ${rules} ${name}`);
    }
    same(got.breakEvenSell.value, want.BreakEvenSell, `swing ${rules} sell`);
    same(got.breakEvenBuy.value, want.BreakEvenBuy, `swing ${rules} buy`);
  }
  await page.close();
});
